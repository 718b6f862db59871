#pragma once

#include "cli/RunIdentity.h"
#include "engine/RunRecord.h"
#include "engine/SecretMask.h"

#include <QFile>
#include <QString>

#include <memory>
#include <vector>

// One run as a JUnit test case: its suite is its script, its name the script's (and, for one of
// several runs of a script, what tells them apart).
struct JUnitCase {
    // A try that was made again does not decide its case: it is written as a flakyFailure (a
    // later try passed) or a rerunFailure (none did), as Maven Surefire writes reruns, and counts
    // as neither a failure nor an error.
    enum class Retried { No, ThenPassed, ThenFailed };

    RunIdentity identity;
    QString caseName; // empty: the script's name
    RunSummary summary;
    Retried retried = Retried::No;
};

// The --junit file. It is opened before the run, so that a path that cannot be written is told
// at once, and holds a case in error until the run's outcome replaces it: a run cut short still
// leaves a file a CI server reads. Exit status 1 (not run: bad usage, an unreadable script, no
// browser) is an <error>, every other status but 0 a <failure>. Text the XML cannot hold
// (control characters) is written as "\u001B"; the text of "$$$" is never written.
class JUnitFile {
public:
    // Opens (and empties) the file; false, and `error` says why, when it cannot be written.
    [[nodiscard]] bool open(const QString &path, const RunIdentity &identity, QString &error);
    void setMask(SecretMask mask) { m_mask = std::move(mask); }
    // Writes the cases, grouped into suites by script, in place of what the file held.
    [[nodiscard]] bool write(const std::vector<JUnitCase> &cases);

private:
    std::unique_ptr<QFile> m_file;
    SecretMask m_mask;
};
