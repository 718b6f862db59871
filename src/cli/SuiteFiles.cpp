#include "cli/SuiteFiles.h"

#include "cli/ErrorOutput.h"
#include "cli/PrivateFiles.h"
#include "cli/RunOptions.h"

#include <QJsonDocument>
#include <QJsonObject>

SuiteFiles::SuiteFiles(const RunOptions &options) : m_options(options) {}

bool SuiteFiles::open()
{
    QString error;
    if (!m_options.reportPath.isEmpty() && !(m_report = openPrivateFile(m_options.reportPath, error))) {
        printError(QStringLiteral("cannot write the report %1: %2").arg(m_options.reportPath, error));
        return false;
    }
    RunIdentity suite = newRunIdentity(QString());
    suite.scriptName = QStringLiteral("navrelay-run");
    if (!m_options.junitPath.isEmpty() && !m_junit.open(m_options.junitPath, suite, error)) {
        printError(QStringLiteral("cannot write the JUnit file %1: %2").arg(m_options.junitPath, error));
        return false;
    }
    return true;
}

void SuiteFiles::attemptEnded(const SuiteCaseResult &result, const SuiteAttempt &attempt, const QByteArray &records)
{
    if (!m_report)
        return;
    QJsonObject record{{QStringLiteral("type"), QStringLiteral("attempt")},
                       {QStringLiteral("run"), attempt.identity.runId},
                       {QStringLiteral("script"), attempt.identity.scriptName},
                       {QStringLiteral("attempt"), attempt.number},
                       {QStringLiteral("exit_status"), attempt.summary.exitStatus}};
    if (result.runCase.row > 0) {
        record.insert(QStringLiteral("row"), result.runCase.row);
        record.insert(QStringLiteral("row_name"), result.runCase.rowName);
    }
    if (result.flaky())
        record.insert(QStringLiteral("flaky"), true);
    // A run cut off in the middle of a record leaves that record out.
    const QByteArray text = records.left(records.lastIndexOf('\n') + 1);
    m_report->write(text + QJsonDocument(record).toJson(QJsonDocument::Compact) + '\n');
    m_report->flush();
}

void SuiteFiles::write(const std::vector<SuiteCaseResult> &results)
{
    if (!m_options.junitPath.isEmpty() && !m_junit.write(junitCases(results)))
        printError(QStringLiteral("cannot write the JUnit file %1").arg(m_options.junitPath));
}

std::vector<JUnitCase> junitCases(const std::vector<SuiteCaseResult> &results)
{
    std::vector<JUnitCase> cases;
    for (const SuiteCaseResult &result : results) {
        for (const SuiteAttempt &attempt : result.attempts) {
            JUnitCase each{attempt.identity, result.attemptName(attempt), attempt.summary};
            if (attempt.number < int(result.attempts.size()))
                each.retried = result.exitStatus() == 0 ? JUnitCase::Retried::ThenPassed : JUnitCase::Retried::ThenFailed;
            cases.push_back(std::move(each));
        }
    }
    return cases;
}
