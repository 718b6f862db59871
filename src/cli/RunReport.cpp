#include "cli/RunReport.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QXmlStreamWriter>

namespace {

QString seconds(qint64 milliseconds)
{
    return QString::number(double(milliseconds) / 1000.0, 'f', 3);
}

QString failureType(int exitStatus)
{
    switch (exitStatus) {
    case 2: return QStringLiteral("halted");
    case 3: return QStringLiteral("unfinished");
    default: return QStringLiteral("not run");
    }
}

} // namespace

bool RunReport::open(const QString &path)
{
    m_file.setFileName(path);
    return m_file.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

void RunReport::write(const LineRecord &record)
{
    if (!m_file.isOpen())
        return;
    QJsonObject object{{QStringLiteral("type"), QStringLiteral("line")},
                       {QStringLiteral("line"), record.line},
                       {QStringLiteral("text"), record.text},
                       {QStringLiteral("command"), record.command},
                       {QStringLiteral("start_ms"), record.startMs},
                       {QStringLiteral("duration_ms"), record.durationMs},
                       {QStringLiteral("page_wait_ms"), record.pageWaitMs},
                       {QStringLiteral("address"), record.address},
                       {QStringLiteral("http_status"), record.httpStatus},
                       {QStringLiteral("outcome"), outcomeName(record.outcome)}};
    if (!record.message.isEmpty())
        object.insert(QStringLiteral("message"), record.message);
    if (record.errorNumber)
        object.insert(QStringLiteral("error_number"), *record.errorNumber);
    writeObject(object);
}

void RunReport::write(const RunSummary &summary)
{
    writeObject({{QStringLiteral("type"), QStringLiteral("summary")},
                 {QStringLiteral("exit_status"), summary.exitStatus},
                 {QStringLiteral("lines_run"), summary.linesRun},
                 {QStringLiteral("pages_loaded"), qint64(summary.pagesLoaded)},
                 {QStringLiteral("total_ms"), summary.totalMs},
                 {QStringLiteral("message"), summary.message}});
}

void RunReport::writeObject(const QJsonObject &object)
{
    if (!m_file.isOpen())
        return;
    m_file.write(QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
    m_file.flush();
}

bool writeJUnit(const QString &path, const QString &scriptName, const RunSummary &summary)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QString failures = summary.exitStatus == 0 ? QStringLiteral("0") : QStringLiteral("1");
    const QString time = seconds(summary.totalMs);
    QXmlStreamWriter xml(&file);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("testsuites"));
    xml.writeAttribute(QStringLiteral("tests"), QStringLiteral("1"));
    xml.writeAttribute(QStringLiteral("failures"), failures);
    xml.writeAttribute(QStringLiteral("time"), time);
    xml.writeStartElement(QStringLiteral("testsuite"));
    xml.writeAttribute(QStringLiteral("name"), QStringLiteral("navrelay-run"));
    xml.writeAttribute(QStringLiteral("tests"), QStringLiteral("1"));
    xml.writeAttribute(QStringLiteral("failures"), failures);
    xml.writeAttribute(QStringLiteral("errors"), QStringLiteral("0"));
    xml.writeAttribute(QStringLiteral("skipped"), QStringLiteral("0"));
    xml.writeAttribute(QStringLiteral("time"), time);
    xml.writeAttribute(QStringLiteral("timestamp"), QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
    xml.writeStartElement(QStringLiteral("testcase"));
    xml.writeAttribute(QStringLiteral("name"), scriptName);
    xml.writeAttribute(QStringLiteral("classname"), QStringLiteral("navrelay-run"));
    xml.writeAttribute(QStringLiteral("time"), time);
    if (summary.exitStatus != 0) {
        xml.writeStartElement(QStringLiteral("failure"));
        xml.writeAttribute(QStringLiteral("message"), summary.message);
        xml.writeAttribute(QStringLiteral("type"), failureType(summary.exitStatus));
        xml.writeCharacters(QStringLiteral("%1\nexit status %2, %3 line(s) run, %4 page(s) loaded\n")
                                .arg(summary.message)
                                .arg(summary.exitStatus)
                                .arg(summary.linesRun)
                                .arg(summary.pagesLoaded));
        xml.writeEndElement();
    }
    xml.writeEndElement(); // testcase
    xml.writeEndElement(); // testsuite
    xml.writeEndElement(); // testsuites
    xml.writeEndDocument();
    return !xml.hasError() && file.commit();
}
