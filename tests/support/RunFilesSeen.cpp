#include "RunFilesSeen.h"

#include <QFile>
#include <QJsonDocument>
#include <QXmlStreamReader>

QList<JUnitCaseSeen> readJUnit(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&file);
    QList<JUnitCaseSeen> cases;
    QString suite;
    const QStringList outcomes = {QStringLiteral("error"), QStringLiteral("failure"), QStringLiteral("flakyFailure"),
                                  QStringLiteral("rerunFailure")};
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("testsuite")) {
            suite = xml.attributes().value(QStringLiteral("name")).toString();
        } else if (xml.name() == QLatin1String("testcase")) {
            cases.append({xml.attributes().value(QStringLiteral("name")).toString(),
                          xml.attributes().value(QStringLiteral("classname")).toString(), QStringLiteral("passed"), {}, suite});
        } else if (!cases.isEmpty() && outcomes.contains(xml.name().toString())) {
            cases.last().outcome = xml.name().toString();
            cases.last().message = xml.attributes().value(QStringLiteral("message")).toString();
        }
    }
    return xml.hasError() ? QList<JUnitCaseSeen>() : cases;
}

QList<QJsonObject> reportRecords(const QString &path)
{
    QFile file(path);
    QList<QJsonObject> records;
    if (!file.open(QIODevice::ReadOnly))
        return records;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (!line.isEmpty())
            records << QJsonDocument::fromJson(line).object();
    }
    return records;
}
