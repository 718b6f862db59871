#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

struct DataTable;

// One run of a suite: a script, with the row of data it runs for.
struct SuiteCase {
    QString scriptPath;
    int row = 0; // of the data file, from 1; 0: the suite has no data
    QString rowName; // "row 2: alice": the row's number and its first field; empty without data
    std::optional<QString> variable; // the row's text of "$$$"
};

// The script files the paths name, each once: a file as it is given (reading it is the run's
// own business), a folder as its *.nrs and *.txt files sorted by name. `error` names a folder
// that holds none.
[[nodiscard]] std::optional<QStringList> suiteScripts(const QStringList &paths, QString &error);

// Every script once, or once per row of the table, "$$$" taken from its column.
[[nodiscard]] std::vector<SuiteCase> suiteCases(const QStringList &scripts, const DataTable *table, int variableColumn);

// The index-th (from 1) of `count` slices: the k-th case (from 0) belongs to slice k % count + 1,
// so slices stay even in length and every case lies in exactly one.
[[nodiscard]] std::vector<SuiteCase> shardOf(const std::vector<SuiteCase> &cases, int index, int count);
