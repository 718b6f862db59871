#pragma once

#include "cli/RunIdentity.h"
#include "engine/LoadWatch.h"
#include "engine/RunRecord.h"
#include "engine/SecretMask.h"

#include <QFile>
#include <QList>
#include <QString>

#include <memory>

class QJsonObject;

// The --report file, JSON Lines: for each run a run record (the script and its SHA-256, the
// engine and versions, the start and the options), one record per executed line as the line is
// done, at most kMaxLineRecords of them (then one "truncated" record with the count left out),
// and a summary; every record names its run. Each is written through at once, so that a run
// cut short leaves the lines it ran. The text of "$$$" is never written.
class RunReport {
public:
    static constexpr int kMaxLineRecords = 10000;

    // Opens (and empties) the file; false, and `error` says why, when it cannot be written.
    [[nodiscard]] bool open(const QString &path, QString &error);
    void setMask(SecretMask mask) { m_mask = std::move(mask); }
    void startRun(const RunIdentity &identity);
    void write(const LineRecord &record);
    void finishRun(const RunSummary &summary, const QList<FailedLoad> &failedLoads);

private:
    void writeObject(const QJsonObject &object);

    std::unique_ptr<QFile> m_file;
    SecretMask m_mask;
    QString m_runId;
    int m_lineRecords = 0;  // of this run, written
    qint64 m_leftOut = 0;   // of this run, past the bound
};
