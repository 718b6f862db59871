#include "cli/RunReport.h"

#include "cli/PrivateFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QJsonValue masked(const QJsonValue &value, const SecretMask &mask);

QJsonObject masked(const QJsonObject &object, const SecretMask &mask)
{
    QJsonObject result;
    for (auto it = object.begin(); it != object.end(); ++it)
        result.insert(it.key(), masked(it.value(), mask));
    return result;
}

QJsonValue masked(const QJsonValue &value, const SecretMask &mask)
{
    if (value.isString())
        return mask.apply(value.toString());
    if (value.isObject())
        return masked(value.toObject(), mask);
    if (value.isArray()) {
        QJsonArray array;
        for (const QJsonValue &item : value.toArray())
            array.append(masked(item, mask));
        return array;
    }
    return value;
}

QJsonArray failedLoadsJson(const QList<FailedLoad> &failedLoads)
{
    QJsonArray array;
    for (const FailedLoad &load : failedLoads)
        array.append(QJsonObject{{QStringLiteral("line"), load.line},
                                 {QStringLiteral("text"), load.text},
                                 {QStringLiteral("address"), load.address},
                                 {QStringLiteral("reason"), load.reason}});
    return array;
}

} // namespace

bool RunReport::open(const QString &path, QString &error)
{
    m_file = openPrivateFile(path, error);
    return m_file != nullptr;
}

void RunReport::startRun(const RunIdentity &identity)
{
    m_runId = identity.runId;
    m_lineRecords = 0;
    m_leftOut = 0;
    writeObject({{QStringLiteral("type"), QStringLiteral("run")},
                 {QStringLiteral("script"), identity.scriptName},
                 {QStringLiteral("script_path"), identity.scriptPath},
                 {QStringLiteral("script_sha256"), identity.scriptSha256},
                 {QStringLiteral("engine"), identity.engine},
                 {QStringLiteral("browser_version"), identity.browserVersion},
                 {QStringLiteral("navrelay_version"), identity.navrelayVersion},
                 {QStringLiteral("start"), identity.start.toString(Qt::ISODateWithMs)},
                 {QStringLiteral("options"), identity.options}});
}

void RunReport::write(const LineRecord &record)
{
    if (m_lineRecords >= kMaxLineRecords) {
        ++m_leftOut;
        return;
    }
    ++m_lineRecords;
    QJsonObject object{{QStringLiteral("type"), QStringLiteral("line")},
                       {QStringLiteral("line"), record.line},
                       {QStringLiteral("text"), record.text},
                       {QStringLiteral("command"), record.command},
                       {QStringLiteral("start_ms"), record.startMs},
                       {QStringLiteral("duration_ms"), record.durationMs},
                       {QStringLiteral("page_wait_ms"), record.pageWaitMs},
                       {QStringLiteral("element_wait_ms"), record.elementWaitMs},
                       {QStringLiteral("address"), record.address},
                       {QStringLiteral("http_status"), record.httpStatus},
                       {QStringLiteral("outcome"), outcomeName(record.outcome)}};
    if (!record.message.isEmpty())
        object.insert(QStringLiteral("message"), record.message);
    if (record.errorNumber)
        object.insert(QStringLiteral("error_number"), *record.errorNumber);
    writeObject(object);
}

void RunReport::finishRun(const RunSummary &summary, const QList<FailedLoad> &failedLoads)
{
    if (m_leftOut > 0)
        writeObject({{QStringLiteral("type"), QStringLiteral("truncated")},
                     {QStringLiteral("line_records_written"), m_lineRecords},
                     {QStringLiteral("line_records_left_out"), m_leftOut}});
    writeObject({{QStringLiteral("type"), QStringLiteral("summary")},
                 {QStringLiteral("exit_status"), summary.exitStatus},
                 {QStringLiteral("lines_run"), summary.linesRun},
                 {QStringLiteral("pages_loaded"), qint64(summary.pagesLoaded)},
                 {QStringLiteral("failed_loads"), failedLoadsJson(failedLoads)},
                 {QStringLiteral("total_ms"), summary.totalMs},
                 {QStringLiteral("message"), summary.message}});
}

void RunReport::writeObject(const QJsonObject &object)
{
    if (!m_file)
        return;
    QJsonObject record = masked(object, m_mask);
    record.insert(QStringLiteral("run"), m_runId);
    m_file->write(QJsonDocument(record).toJson(QJsonDocument::Compact) + '\n');
    m_file->flush();
}
