#pragma once

#include "cli/JUnitFile.h"
#include "cli/SuiteResult.h"

#include <QFile>
#include <QString>

#include <memory>
#include <vector>

struct RunOptions;

// The --report and --junit files of a suite. The report holds each try's own records (every
// one names its try's run) followed by an "attempt" record that tells which run, row and try
// it was; the JUnit file a test suite per script and a test case per try, written again after
// every try so that a suite cut short leaves a file a CI server reads.
class SuiteFiles {
public:
    explicit SuiteFiles(const RunOptions &options);

    // Opens both files; false, and said, when one cannot be written.
    [[nodiscard]] bool open();
    // The try has ended: its records go into the report.
    void attemptEnded(const SuiteCaseResult &result, const SuiteAttempt &attempt, const QByteArray &records);
    void write(const std::vector<SuiteCaseResult> &results);

private:
    const RunOptions &m_options;
    std::unique_ptr<QFile> m_report;
    JUnitFile m_junit;
};

// The JUnit cases of the runs: one per try.
[[nodiscard]] std::vector<JUnitCase> junitCases(const std::vector<SuiteCaseResult> &results);
