#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

// One test case of a JUnit file, as a consumer reads it.
struct JUnitCaseSeen {
    QString name;
    QString classname;
    QString outcome; // "error", "failure", "flakyFailure", "rerunFailure" or "passed"
    QString message;
    QString suite; // the name of its test suite
};

// The cases of a JUnit file; empty when the XML is not well-formed.
[[nodiscard]] QList<JUnitCaseSeen> readJUnit(const QString &path);
// The records of a JSON Lines report.
[[nodiscard]] QList<QJsonObject> reportRecords(const QString &path);
