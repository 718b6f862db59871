#include "cli/RunIdentity.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

RunIdentity newRunIdentity(const QString &scriptPath)
{
    RunIdentity identity;
    identity.start = QDateTime::currentDateTimeUtc();
    identity.runId = QStringLiteral("%1-%2-%3")
                         .arg(identity.start.toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")))
                         .arg(QCoreApplication::applicationPid())
                         .arg(QRandomGenerator::global()->bounded(0x10000), 4, 16, QLatin1Char('0'));
    identity.scriptPath = scriptPath;
    identity.scriptName = scriptReportName(scriptPath);
    return identity;
}

QString scriptReportName(const QString &scriptPath)
{
    if (scriptPath == QLatin1String("-"))
        return QStringLiteral("stdin");
    const QString absolute = QDir::cleanPath(QFileInfo(scriptPath).absoluteFilePath());
    const QString relative = QDir::current().relativeFilePath(absolute);
    return relative.startsWith(QLatin1String("../")) ? absolute : relative;
}

QString evidenceFileStem(const RunIdentity &identity)
{
    return QStringLiteral("%1.%2").arg(QFileInfo(identity.scriptName).completeBaseName(), identity.runId);
}

QString scriptClassName(const QString &scriptName)
{
    const QFileInfo info(scriptName);
    const QString folder = info.path() == QLatin1String(".") ? QString() : info.path();
    const QString name = folder.isEmpty() ? info.completeBaseName() : folder + QLatin1Char('/') + info.completeBaseName();
    QString dotted = name;
    dotted.replace(QLatin1Char('/'), QLatin1Char('.'));
    while (dotted.startsWith(QLatin1Char('.')))
        dotted.remove(0, 1);
    return dotted;
}
