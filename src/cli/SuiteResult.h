#pragma once

#include "cli/RunIdentity.h"
#include "cli/SuitePlan.h"
#include "engine/RunRecord.h"

#include <QString>

#include <vector>

// One try of a run of a suite.
struct SuiteAttempt {
    int number = 1; // from 1
    RunIdentity identity;
    RunSummary summary; // its exitStatus is the exit status of the try
    QString reportPath; // the try's own report
};

// A run of a suite with its tries: the last one decides.
struct SuiteCaseResult {
    SuiteCase runCase;
    std::vector<SuiteAttempt> attempts;

    // The exit status of the last try; 3 when none was made (the suite was stopped first).
    [[nodiscard]] int exitStatus() const;
    // It passed, but not on its first try.
    [[nodiscard]] bool flaky() const { return attempts.size() > 1 && exitStatus() == 0; }
    // The time of all its tries.
    [[nodiscard]] qint64 totalMs() const;
    // "a/login.nrs", "a/login.nrs row 2: alice".
    [[nodiscard]] QString name() const;
    // The name of one try in a JUnit file: the row, and the try when there were several.
    [[nodiscard]] QString attemptName(const SuiteAttempt &attempt) const;
};

// Whether a run that ended with this exit status is tried again.
[[nodiscard]] bool deservesRetry(int exitStatus);
// The worse of two exit statuses: 1 (not run) before 2 (halted), 3 (unfinished), 4 (failed
// loads) and 0.
[[nodiscard]] int worseExitStatus(int first, int second);
// "4 run(s): 3 passed (1 flaky), 1 failed; exit status 2".
[[nodiscard]] QString suiteTotals(const std::vector<SuiteCaseResult> &results, int exitStatus);
// The table the suite ends with: a line per run (exit status, tries, seconds, name) and a line of totals.
[[nodiscard]] QString suiteSummaryTable(const std::vector<SuiteCaseResult> &results, int exitStatus);
