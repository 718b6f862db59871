#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// A data file of rows, as RFC 4180 writes comma-separated values: the first record names the
// columns, every other one is a row with as many fields. Fields may be quoted ("a, b"), with a
// quote inside written twice and line breaks kept; records end with CRLF or LF.
struct DataTable {
    static constexpr qint64 kMaxBytes = 64 * 1024 * 1024; // a table is read whole
    static constexpr int kMaxRows = 100000;                // each row is a run of its own

    QStringList columns;
    QList<QStringList> rows;

    // The index of the column of that name, or -1.
    [[nodiscard]] int column(const QString &name) const { return int(columns.indexOf(name)); }
};

// The table the text (UTF-8, a byte order mark ignored) holds; `error` says what is wrong and
// on which line when it holds none.
[[nodiscard]] std::optional<DataTable> parseDataTable(const QByteArray &text, QString &error);
// The table in the file; `error` names the file and what is wrong.
[[nodiscard]] std::optional<DataTable> readDataTable(const QString &path, QString &error);
