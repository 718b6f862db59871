#include "cli/JUnitFile.h"

#include "cli/PrivateFiles.h"

#include <QBuffer>
#include <QXmlStreamWriter>

#include <map>

namespace {

constexpr int kNotRun = 1;

QString seconds(qint64 milliseconds)
{
    return QString::number(double(milliseconds) / 1000.0, 'f', 3);
}

bool isXmlCharacter(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}

// Characters XML 1.0 cannot hold, as "\u001B" (a lone surrogate too): the rest stands as it is.
QString xmlText(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            result += c;
            result += text.at(++i);
        } else if (!c.isSurrogate() && isXmlCharacter(c.unicode())) {
            result += c;
        } else {
            result += QStringLiteral("\\u") + QString::number(c.unicode(), 16).rightJustified(4, QLatin1Char('0')).toUpper();
        }
    }
    return result;
}

QString failureType(int exitStatus)
{
    switch (exitStatus) {
    case 2: return QStringLiteral("halted");
    case 3: return QStringLiteral("unfinished");
    case 4: return QStringLiteral("failed loads");
    default: return QStringLiteral("not run");
    }
}

class JUnitWriter {
public:
    JUnitWriter(QIODevice &device, const SecretMask &mask) : m_xml(&device), m_mask(mask) { m_xml.setAutoFormatting(true); }

    bool write(const std::vector<JUnitCase> &cases)
    {
        std::map<QString, std::vector<const JUnitCase *>> suites;
        for (const JUnitCase &each : cases)
            suites[each.identity.scriptName].push_back(&each);
        m_xml.writeStartDocument();
        m_xml.writeStartElement(QStringLiteral("testsuites"));
        writeCounts(cases.size(), count(cases, false), count(cases, true), total(cases));
        for (const auto &[name, suite] : suites)
            writeSuite(name, suite);
        m_xml.writeEndElement();
        m_xml.writeEndDocument();
        return !m_xml.hasError();
    }

private:
    template <typename Cases>
    static std::size_t count(const Cases &cases, bool errors)
    {
        std::size_t counted = 0;
        for (const auto &each : cases) {
            const int status = caseOf(each).summary.exitStatus;
            counted += status != 0 && (status == kNotRun) == errors && caseOf(each).retried == JUnitCase::Retried::No;
        }
        return counted;
    }
    template <typename Cases>
    static qint64 total(const Cases &cases)
    {
        qint64 milliseconds = 0;
        for (const auto &each : cases)
            milliseconds += caseOf(each).summary.totalMs;
        return milliseconds;
    }
    static const JUnitCase &caseOf(const JUnitCase &each) { return each; }
    static QString failureElement(const JUnitCase &each)
    {
        switch (each.retried) {
        case JUnitCase::Retried::ThenPassed: return QStringLiteral("flakyFailure");
        case JUnitCase::Retried::ThenFailed: return QStringLiteral("rerunFailure");
        case JUnitCase::Retried::No: break;
        }
        return each.summary.exitStatus == kNotRun ? QStringLiteral("error") : QStringLiteral("failure");
    }
    static const JUnitCase &caseOf(const JUnitCase *each) { return *each; }

    void attribute(const QString &name, const QString &value) { m_xml.writeAttribute(name, xmlText(m_mask.apply(value))); }

    void writeCounts(std::size_t tests, std::size_t failures, std::size_t errors, qint64 milliseconds)
    {
        attribute(QStringLiteral("tests"), QString::number(tests));
        attribute(QStringLiteral("failures"), QString::number(failures));
        attribute(QStringLiteral("errors"), QString::number(errors));
        attribute(QStringLiteral("time"), seconds(milliseconds));
    }

    void writeSuite(const QString &name, const std::vector<const JUnitCase *> &cases)
    {
        m_xml.writeStartElement(QStringLiteral("testsuite"));
        attribute(QStringLiteral("name"), name);
        writeCounts(cases.size(), count(cases, false), count(cases, true), total(cases));
        attribute(QStringLiteral("skipped"), QStringLiteral("0"));
        attribute(QStringLiteral("timestamp"), cases.front()->identity.start.toString(Qt::ISODate));
        for (const JUnitCase *each : cases)
            writeCase(*each);
        m_xml.writeEndElement();
    }

    void writeCase(const JUnitCase &each)
    {
        const RunSummary &summary = each.summary;
        m_xml.writeStartElement(QStringLiteral("testcase"));
        attribute(QStringLiteral("name"), each.caseName.isEmpty() ? each.identity.scriptName : each.caseName);
        attribute(QStringLiteral("classname"), scriptClassName(each.identity.scriptName));
        attribute(QStringLiteral("time"), seconds(summary.totalMs));
        if (summary.exitStatus != 0) {
            m_xml.writeStartElement(failureElement(each));
            attribute(QStringLiteral("message"), summary.message);
            attribute(QStringLiteral("type"), failureType(summary.exitStatus));
            m_xml.writeCharacters(xmlText(m_mask.apply(QStringLiteral("%1\nexit status %2, %3 line(s) run, %4 page(s) loaded\nrun %5\n")
                                                           .arg(summary.message)
                                                           .arg(summary.exitStatus)
                                                           .arg(summary.linesRun)
                                                           .arg(summary.pagesLoaded)
                                                           .arg(each.identity.runId))));
            m_xml.writeEndElement();
        }
        m_xml.writeEndElement();
    }

    QXmlStreamWriter m_xml;
    const SecretMask &m_mask;
};

} // namespace

bool JUnitFile::open(const QString &path, const RunIdentity &identity, QString &error)
{
    m_file = openPrivateFile(path, error);
    if (!m_file)
        return false;
    if (write({{identity, {}, {kNotRun, 0, 0, 0, QStringLiteral("the run was cut off before it ended")}}}))
        return true;
    error = m_file->errorString();
    return false;
}

bool JUnitFile::write(const std::vector<JUnitCase> &cases)
{
    if (!m_file)
        return false;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!JUnitWriter(buffer, m_mask).write(cases))
        return false;
    const QByteArray &bytes = buffer.data();
    return m_file->seek(0) && m_file->resize(0) && m_file->write(bytes) == bytes.size() && m_file->flush();
}
