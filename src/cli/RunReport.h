#pragma once

#include "engine/RunRecord.h"

#include <QFile>
#include <QString>

class QJsonObject;

// The --report file: one JSON object per executed line as the line is done, then a summary
// object; each written through at once, so that a run cut short leaves the lines it ran.
class RunReport {
public:
    // Opens (and empties) the file; false when it cannot be written.
    [[nodiscard]] bool open(const QString &path);
    void write(const LineRecord &record);
    void write(const RunSummary &summary);

private:
    void writeObject(const QJsonObject &object);

    QFile m_file;
};

// The --junit file: one suite with one test case, named after the script, failed unless the
// run's exit status is 0. False when it cannot be written.
[[nodiscard]] bool writeJUnit(const QString &path, const QString &scriptName, const RunSummary &summary);
