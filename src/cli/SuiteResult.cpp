#include "cli/SuiteResult.h"

#include "cli/ScriptRun.h"


#include <algorithm>
#include <array>

int SuiteCaseResult::exitStatus() const
{
    return attempts.empty() ? int(RunUnfinished) : attempts.back().summary.exitStatus;
}

qint64 SuiteCaseResult::totalMs() const
{
    qint64 milliseconds = 0;
    for (const SuiteAttempt &attempt : attempts)
        milliseconds += attempt.summary.totalMs;
    return milliseconds;
}

QString SuiteCaseResult::name() const
{
    const QString script = attempts.empty() ? scriptReportName(runCase.scriptPath) : attempts.front().identity.scriptName;
    return runCase.rowName.isEmpty() ? script : QStringLiteral("%1 %2").arg(script, runCase.rowName);
}

QString SuiteCaseResult::attemptName(const SuiteAttempt &attempt) const
{
    if (attempts.size() < 2)
        return runCase.rowName;
    const QString tried = flaky() && attempt.number == int(attempts.size()) ? QStringLiteral("attempt %1, flaky")
                                                                              : QStringLiteral("attempt %1");
    const QString base = runCase.rowName.isEmpty() ? attempt.identity.scriptName : runCase.rowName;
    return QStringLiteral("%1 (%2)").arg(base, tried.arg(attempt.number));
}

bool deservesRetry(int exitStatus)
{
    return exitStatus == RunHalted || exitStatus == RunUnfinished || exitStatus == RunLoadsFailed;
}

int worseExitStatus(int first, int second)
{
    static constexpr std::array<int, 5> kBestFirst = {RunFinished, RunLoadsFailed, RunUnfinished, RunHalted, RunBadInput};
    const auto rank = [](int status) {
        const auto *at = std::find(kBestFirst.begin(), kBestFirst.end(), status);
        return at == kBestFirst.end() ? int(kBestFirst.size()) : int(at - kBestFirst.begin());
    };
    return rank(second) > rank(first) ? second : first;
}

QString suiteTotals(const std::vector<SuiteCaseResult> &results, int exitStatus)
{
    const auto passed = std::count_if(results.begin(), results.end(), [](const auto &result) { return result.exitStatus() == RunFinished; });
    const auto flaky = std::count_if(results.begin(), results.end(), [](const auto &result) { return result.flaky(); });
    return QStringLiteral("%1 run(s): %2 passed (%3 flaky), %4 failed; exit status %5")
        .arg(results.size())
        .arg(passed)
        .arg(flaky)
        .arg(qsizetype(results.size()) - passed)
        .arg(exitStatus);
}

QString suiteSummaryTable(const std::vector<SuiteCaseResult> &results, int exitStatus)
{
    QString table = QStringLiteral("exit  tries  seconds  run\n");
    for (const SuiteCaseResult &result : results) {
        table += QStringLiteral("%1  %2  %3  %4%5\n")
                     .arg(result.exitStatus(), 4)
                     .arg(result.attempts.size(), 5)
                     .arg(double(result.totalMs()) / 1000.0, 7, 'f', 1)
                     .arg(result.name(), result.flaky() ? QStringLiteral(" (flaky)") : QString());
    }
    return table + suiteTotals(results, exitStatus) + QLatin1Char('\n');
}
