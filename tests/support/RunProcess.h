#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// A navrelay-run process as a CI job starts one, and what it said and how long it took.
struct RunResult {
    int exitCode = -1; // -1: it crashed or did not end in time
    QString out;
    QString errors;
    qint64 elapsedMs = 0;
};

struct RunSetting {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QString workingFolder; // empty: the test's own
    QString standardInput; // a file read as standard input; empty: none
    int timeoutMs = 120000;
};

[[nodiscard]] RunResult runNavRelay(const QStringList &arguments, const RunSetting &setting = {});
// Writes the text to the file, making its folder; the path.
QString writeTextFile(const QString &path, const QByteArray &text);
