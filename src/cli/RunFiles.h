#pragma once

#include "cli/JUnitFile.h"
#include "cli/RunIdentity.h"
#include "cli/RunReport.h"
#include "engine/SecretMask.h"

#include <QDeadlineTimer>
#include <QStringList>

class BrowserConnection;
struct RunOptions;
struct RunEnd;
class WindowParts;

// The files a run writes as it goes and when it ends: --report, --junit, --evidence. None of
// them, and no message about them, holds the text of "$$$".
class RunFiles {
public:
    static constexpr int kMaxTracePictures = 1000; // a run that loops keeps its first pictures

    RunFiles(const RunOptions &options, RunIdentity identity, const WindowParts *windowParts);

    // Opens the report and the JUnit file; false, and said, when one cannot be written.
    [[nodiscard]] bool open();
    void setMask(const SecretMask &mask);
    [[nodiscard]] const SecretMask &mask() const { return m_mask; }
    [[nodiscard]] RunIdentity &identity() { return m_identity; }
    // Whether the records need each line's address and HTTP status.
    [[nodiscard]] bool wantsPages() const;

    // The run record; every line record and the end follow it.
    void start();
    void write(const LineRecord &record);
    // With --trace and --evidence: keeps the picture of the page the last written line brought,
    // as STEM.trace-N.png, N the line record's number in the run, if it is made before the run's
    // deadline.
    void keepTracePicture(BrowserConnection &connection, QDeadlineTimer runDeadline);
    // The page's picture waits for its resources until the run's deadline (half a second at
    // least); past that it is given up, and the evidence says so.
    void keepEvidence(BrowserConnection &connection, const QStringList &scriptLines, const RunEnd &end,
                      QDeadlineTimer runDeadline);
    void finish(const RunSummary &summary, const QList<FailedLoad> &failedLoads = {});

private:
    const RunOptions &m_options;
    RunIdentity m_identity;
    const WindowParts *const m_windowParts;
    SecretMask m_mask;
    RunReport m_report;
    JUnitFile m_junit;
    bool m_started = false;
    int m_lineRecords = 0; // written
    int m_tracePictures = 0; // kept
};
