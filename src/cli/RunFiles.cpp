#include "cli/RunFiles.h"

#include "cli/ErrorOutput.h"
#include "cli/RunEvidence.h"
#include "cli/RunOptions.h"
#include "cli/RunWatch.h"

#include <QFileInfo>

#include <algorithm>

namespace {

// A picture waits for its page's resources until the run's deadline, and never long whatever
// time the run had left; the picture of a run that ended at its deadline gets a moment past it,
// and is given up (and said so) when that is not enough.
constexpr qint64 PictureGrace = 500;
constexpr qint64 MaxPictureWait = 15'000;
// A trace picture never holds a line up for long, nor a run past its deadline.
constexpr qint64 MaxTracePictureWait = 2000;

[[nodiscard]] qint64 timeLeft(QDeadlineTimer runDeadline)
{
    return runDeadline.isForever() ? MaxPictureWait : std::max<qint64>(0, runDeadline.remainingTime());
}

} // namespace

RunFiles::RunFiles(const RunOptions &options, RunIdentity identity, const WindowParts *windowParts)
    : m_options(options)
    , m_identity(std::move(identity))
    , m_windowParts(windowParts)
{
}

bool RunFiles::open()
{
    QString error;
    if (!m_options.reportPath.isEmpty() && !m_report.open(m_options.reportPath, error)) {
        printError(QStringLiteral("cannot write the report %1: %2").arg(m_options.reportPath, error));
        return false;
    }
    if (!m_options.junitPath.isEmpty() && !m_junit.open(m_options.junitPath, m_identity, error)) {
        printError(QStringLiteral("cannot write the JUnit file %1: %2").arg(m_options.junitPath, error));
        return false;
    }
    return true;
}

void RunFiles::setMask(const SecretMask &mask)
{
    m_mask = mask;
    m_report.setMask(mask);
    m_junit.setMask(mask);
}

bool RunFiles::wantsPages() const
{
    return !m_options.reportPath.isEmpty();
}

void RunFiles::start()
{
    if (!m_started)
        m_report.startRun(m_identity);
    m_started = true;
}

void RunFiles::write(const LineRecord &record)
{
    ++m_lineRecords;
    m_report.write(record);
}

void RunFiles::keepTracePicture(BrowserConnection &connection, QDeadlineTimer runDeadline)
{
    if (!m_options.trace || m_options.evidenceDir.isEmpty() || m_tracePictures >= kMaxTracePictures)
        return;
    const QByteArray png = pagePicture(connection, m_windowParts,
                                       QDeadlineTimer(std::min(timeLeft(runDeadline), MaxTracePictureWait)));
    if (png.isEmpty())
        return;
    ++m_tracePictures;
    QString error;
    const QString name = QStringLiteral("%1.trace-%2.png").arg(evidenceFileStem(m_identity)).arg(m_lineRecords);
    if (writePicture(m_options.evidenceDir, name, png, error).isEmpty())
        printError(QStringLiteral("cannot write evidence into %1: %2").arg(m_options.evidenceDir, error));
}

void RunFiles::keepEvidence(BrowserConnection &connection, const QStringList &scriptLines, const RunEnd &end,
                            QDeadlineTimer runDeadline)
{
    if (m_options.evidenceDir.isEmpty())
        return;
    QString error;
    const QStringList written = writeEvidence(m_options.evidenceDir, evidenceFileStem(m_identity), scriptLines, end.line, end.message,
                                              capturePage(connection, m_windowParts,
                                                          QDeadlineTimer(std::clamp(timeLeft(runDeadline), PictureGrace, MaxPictureWait))), m_mask, error);
    if (!error.isEmpty())
        printError(QStringLiteral("cannot write evidence into %1: %2").arg(m_options.evidenceDir, error));
    for (const QString &path : written)
        printError(QStringLiteral("evidence: %1").arg(path));
}

void RunFiles::finish(const RunSummary &summary, const QList<FailedLoad> &failedLoads)
{
    start();
    m_report.finishRun(summary, failedLoads);
    if (!m_options.junitPath.isEmpty() && !m_junit.write({{m_identity, {}, summary}}))
        printError(QStringLiteral("cannot write the JUnit file %1").arg(m_options.junitPath));
}
