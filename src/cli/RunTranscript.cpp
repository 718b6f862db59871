#include "cli/RunTranscript.h"

#include <QFile>
#include <QJsonDocument>

namespace {

RunIdentity identityOf(const QJsonObject &run)
{
    RunIdentity identity;
    identity.runId = run.value(QStringLiteral("run")).toString();
    identity.scriptPath = run.value(QStringLiteral("script_path")).toString();
    identity.scriptName = run.value(QStringLiteral("script")).toString();
    identity.scriptSha256 = run.value(QStringLiteral("script_sha256")).toString();
    identity.engine = run.value(QStringLiteral("engine")).toString();
    identity.browserVersion = run.value(QStringLiteral("browser_version")).toString();
    identity.navrelayVersion = run.value(QStringLiteral("navrelay_version")).toString();
    identity.start = QDateTime::fromString(run.value(QStringLiteral("start")).toString(), Qt::ISODateWithMs);
    identity.options = run.value(QStringLiteral("options")).toObject();
    return identity;
}

RunSummary summaryOf(const QJsonObject &summary)
{
    return {summary.value(QStringLiteral("exit_status")).toInt(), summary.value(QStringLiteral("lines_run")).toInt(),
            quint64(summary.value(QStringLiteral("pages_loaded")).toInteger()),
            summary.value(QStringLiteral("total_ms")).toInteger(), summary.value(QStringLiteral("message")).toString()};
}

} // namespace

std::optional<RunTranscript> readRunTranscript(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    RunTranscript transcript;
    transcript.text = file.readAll();
    bool started = false;
    for (const QByteArray &line : transcript.text.split('\n')) {
        const QJsonObject record = QJsonDocument::fromJson(line).object();
        const QString type = record.value(QStringLiteral("type")).toString();
        if (type == QLatin1String("run")) {
            transcript.identity = identityOf(record);
            started = true;
        } else if (type == QLatin1String("line")) {
            transcript.lines << record;
        } else if (type == QLatin1String("summary")) {
            transcript.summary = summaryOf(record);
        }
    }
    if (!started)
        return std::nullopt;
    return transcript;
}
