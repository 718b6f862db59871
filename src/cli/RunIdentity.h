#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>

// What the records of one run carry, so that one report or JUnit file can hold several runs
// (scripts, rows of data, tries) and tell them apart.
struct RunIdentity {
    QString runId;      // "20250107T151234Z-12345-a1b2": the start, the process and a random part
    QString scriptPath; // as given: a path, or "-" for standard input
    QString scriptName; // relative to the working folder, "a/login.nrs"; "stdin"
    QString scriptSha256;
    QString engine;     // "builtin" or "chromium"
    QString browserVersion;
    QString navrelayVersion;
    QDateTime start;
    QJsonObject options; // what the command line asked for, without the text of "$$$"
};

// A new run of the script, started now.
[[nodiscard]] RunIdentity newRunIdentity(const QString &scriptPath);
// The script's name in reports: its path relative to the working folder when it lies in it,
// else its clean absolute path; "stdin" for "-".
[[nodiscard]] QString scriptReportName(const QString &scriptPath);
// How the run's evidence files begin: the script's name without its folder and suffix, and the
// run's id ("login.20250107T151234Z-12345-a1b2"), so that runs sharing a folder never replace
// each other's files.
[[nodiscard]] QString evidenceFileStem(const RunIdentity &identity);
// How JUnit files name the run's test case's class: the script's name without its suffix,
// folders joined by dots ("a.login").
[[nodiscard]] QString scriptClassName(const QString &scriptName);
