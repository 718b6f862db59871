#include "cli/HtmlReport.h"

#include "cli/PrivateFiles.h"
#include "cli/RunTranscript.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const char *const kStyle = R"(
body { font: 14px/1.4 system-ui, sans-serif; margin: 1.5em; color: #222; }
h1 { font-size: 1.4em; } h2 { font-size: 1.15em; margin-top: 2em; border-top: 1px solid #ccc; padding-top: 1em; }
table { border-collapse: collapse; margin: .5em 0; }
th, td { border: 1px solid #ddd; padding: 2px 6px; text-align: left; vertical-align: top; }
td.n { text-align: right; font-variant-numeric: tabular-nums; }
.pass { color: #176f2c; } .fail { color: #b3261e; font-weight: bold; } .flaky { color: #9a6700; font-weight: bold; }
tr.failing { background: #fde7e7; } tr.failing td:first-child::before { content: "\25B6  "; color: #b3261e; }
code { white-space: pre-wrap; word-break: break-all; }
img { max-width: min(100%, 800px); border: 1px solid #999; margin: .3em 0; }
.message { color: #b3261e; }
)";

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

QString statusClass(int exitStatus, bool flaky)
{
    if (flaky)
        return QStringLiteral("flaky");
    return exitStatus == 0 ? QStringLiteral("pass") : QStringLiteral("fail");
}

QString picture(const QString &path, const QString &label)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QStringLiteral("<figure><img alt=\"%1\" src=\"data:image/png;base64,%2\"><figcaption>%1</figcaption></figure>\n")
        .arg(escaped(label), QString::fromLatin1(file.readAll().toBase64()));
}

// The anchor of a try's section.
QString anchor(std::size_t caseIndex, int attempt)
{
    return QStringLiteral("run-%1-%2").arg(caseIndex + 1).arg(attempt);
}

class HtmlWriter {
public:
    explicit HtmlWriter(const QString &evidenceDir) : m_evidence(evidenceDir) {}

    QString page(const std::vector<SuiteCaseResult> &results, int exitStatus)
    {
        m_html = QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
                                "<title>NavRelay run report</title><style>%1</style></head><body>\n")
                     .arg(QLatin1String(kStyle));
        summary(results, exitStatus);
        for (std::size_t index = 0; index < results.size(); ++index) {
            for (const SuiteAttempt &attempt : results[index].attempts)
                section(index, results[index], attempt);
        }
        m_html += QStringLiteral("</body></html>\n");
        return m_html;
    }

private:
    void summary(const std::vector<SuiteCaseResult> &results, int exitStatus)
    {
        m_html += QStringLiteral("<h1>NavRelay run report</h1>\n<p id=\"summary\" class=\"%1\">%2</p>\n")
                      .arg(statusClass(exitStatus, false), escaped(suiteTotals(results, exitStatus)));
        m_html += QStringLiteral("<table><tr><th>run</th><th>exit status</th><th>tries</th><th>seconds</th><th>how it ended</th></tr>\n");
        for (std::size_t index = 0; index < results.size(); ++index) {
            const SuiteCaseResult &result = results[index];
            const qint64 milliseconds = result.totalMs();
            const QString ending = result.attempts.empty() ? QStringLiteral("not started") : result.attempts.back().summary.message;
            m_html += QStringLiteral("<tr><td><a href=\"#%1\">%2</a></td><td class=\"n %3\">%4%5</td><td class=\"n\">%6</td>"
                                     "<td class=\"n\">%7</td><td>%8</td></tr>\n")
                          .arg(anchor(index, std::max<int>(1, int(result.attempts.size()))), escaped(result.name()),
                               statusClass(result.exitStatus(), result.flaky()))
                          .arg(result.exitStatus())
                          .arg(result.flaky() ? QStringLiteral(" flaky") : QString())
                          .arg(result.attempts.size())
                          .arg(double(milliseconds) / 1000.0, 0, 'f', 1)
                          .arg(escaped(ending));
        }
        m_html += QStringLiteral("</table>\n");
    }

    void section(std::size_t index, const SuiteCaseResult &result, const SuiteAttempt &attempt)
    {
        const RunSummary &summary = attempt.summary;
        const QString tries = result.attempts.size() > 1 ? QStringLiteral(", try %1 of %2").arg(attempt.number).arg(result.attempts.size())
                                                         : QString();
        m_html += QStringLiteral("<h2 id=\"%1\">%2%3: <span class=\"%4\">exit status %5</span></h2>\n")
                      .arg(anchor(index, attempt.number), escaped(result.name()), escaped(tries),
                           statusClass(summary.exitStatus, false))
                      .arg(summary.exitStatus);
        m_html += QStringLiteral("<p>run %1 on %2, started %3, %4 line(s) run, %5 page(s) loaded, %6 s</p>\n")
                      .arg(escaped(attempt.identity.runId), escaped(attempt.identity.engine),
                           escaped(attempt.identity.start.toString(Qt::ISODate)))
                      .arg(summary.linesRun)
                      .arg(summary.pagesLoaded)
                      .arg(double(summary.totalMs) / 1000.0, 0, 'f', 3);
        if (!summary.message.isEmpty())
            m_html += QStringLiteral("<p class=\"message\">%1</p>\n").arg(escaped(summary.message));
        const std::optional<RunTranscript> transcript = readRunTranscript(attempt.reportPath);
        const QString stem = evidenceStem(attempt.identity);
        if (transcript && !transcript->lines.isEmpty())
            lines(transcript->lines, stem);
        if (!stem.isEmpty())
            m_html += picture(stem + QStringLiteral(".page.png"), QStringLiteral("the page when the run ended"));
    }

    void lines(const QList<QJsonObject> &records, const QString &stem)
    {
        m_html += QStringLiteral("<table><tr><th>line</th><th>text</th><th>at ms</th><th>took ms</th><th>page wait ms</th>"
                                 "<th>outcome</th><th>address</th><th>HTTP</th></tr>\n");
        for (qsizetype number = 1; number <= records.size(); ++number) {
            const QJsonObject &record = records.at(number - 1);
            const QString outcome = record.value(QStringLiteral("outcome")).toString();
            const bool failing = outcome != QLatin1String("ran");
            const int status = record.value(QStringLiteral("http_status")).toInt();
            QString text = escaped(record.value(QStringLiteral("text")).toString());
            if (const QString message = record.value(QStringLiteral("message")).toString(); !message.isEmpty())
                text += QStringLiteral("<br><span class=\"message\">%1</span>").arg(escaped(message));
            m_html += QStringLiteral("<tr%1><td class=\"n\">%2</td><td><code>%3</code></td><td class=\"n\">%4</td>"
                                     "<td class=\"n\">%5</td><td class=\"n\">%6</td><td>%7</td><td><code>%8</code></td>"
                                     "<td class=\"n\">%9</td></tr>\n")
                          .arg(failing ? QStringLiteral(" class=\"failing\"") : QString())
                          .arg(record.value(QStringLiteral("line")).toInt())
                          .arg(text)
                          .arg(record.value(QStringLiteral("start_ms")).toInteger())
                          .arg(record.value(QStringLiteral("duration_ms")).toInteger())
                          .arg(record.value(QStringLiteral("page_wait_ms")).toInteger())
                          .arg(escaped(outcome), escaped(record.value(QStringLiteral("address")).toString()),
                               status ? QString::number(status) : QString());
            if (!stem.isEmpty()) {
                const QString trace = picture(QStringLiteral("%1.trace-%2.png").arg(stem).arg(number),
                                              QStringLiteral("after line %1").arg(record.value(QStringLiteral("line")).toInt()));
                if (!trace.isEmpty())
                    m_html += QStringLiteral("<tr><td></td><td colspan=\"7\">%1</td></tr>\n").arg(trace);
            }
        }
        m_html += QStringLiteral("</table>\n");
    }

    // Where the run kept its pictures, as it names them; empty without an evidence folder.
    QString evidenceStem(const RunIdentity &identity) const
    {
        if (m_evidence.isEmpty())
            return {};
        return QDir(m_evidence).filePath(evidenceFileStem(identity));
    }

    const QString m_evidence;
    QString m_html;
};

} // namespace

bool writeHtmlReport(const QString &folder, const std::vector<SuiteCaseResult> &results, int exitStatus,
                     const QString &evidenceDir, QString &error)
{
    if (!makePrivateFolders(folder, error))
        return false;
    const auto file = openPrivateFile(QDir(folder).filePath(QStringLiteral("index.html")), error);
    if (!file)
        return false;
    const QByteArray html = HtmlWriter(evidenceDir).page(results, exitStatus).toUtf8();
    if (file->write(html) == html.size() && file->flush())
        return true;
    error = file->errorString();
    return false;
}
