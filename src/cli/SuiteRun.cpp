#include "cli/SuiteRun.h"

#include "cli/DataTable.h"
#include "cli/ErrorOutput.h"
#include "cli/HtmlReport.h"
#include "cli/PrivateFiles.h"
#include "cli/RunOptions.h"
#include "cli/RunTranscript.h"
#include "cli/ScriptRun.h"
#include "cli/StopSignals.h"
#include "cli/SuiteFiles.h"
#include "cli/SuitePlan.h"
#include "cli/SuiteResult.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QProcess>
#include <QSet>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <csignal>
#include <deque>

#include <sys/prctl.h>
#include <unistd.h>

namespace {

// The environment variable that hands a row's text of "$$$" to its run, out of the process list.
const QString kDataVariable = QStringLiteral("NAVRELAY_DATA_VALUE");
// A run's process that outlives its own --timeout by this much hangs: it is killed.
constexpr int kHungGraceSeconds = 120;

int jobsFor(const RunOptions &options)
{
    if (options.jobs > 0)
        return options.jobs;
    // Without --isolated, Chromium runs one at a time, as single runs share NavRelay's profile.
    if (options.browser == RunOptions::BrowserKind::Chromium && !options.isolated)
        return 1;
    return std::max(1, QThread::idealThreadCount());
}

void printBlock(std::FILE *stream, const QString &name, const QByteArray &output)
{
    const QString text = QString::fromLocal8Bit(output);
    for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        std::fprintf(stream, "[%s] %s\n", name.toLocal8Bit().constData(), line.toLocal8Bit().constData());
    std::fflush(stream);
}

// The last line a run said, without the program's name: why it ended when it wrote no report.
QString lastMessage(const QByteArray &errors)
{
    const QStringList lines = QString::fromLocal8Bit(errors).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.isEmpty())
        return QStringLiteral("the run ended without a word");
    const QString &line = lines.constLast();
    const QLatin1String program("navrelay-run: ");
    return line.startsWith(program) ? line.mid(program.size()) : line;
}

// Runs the tries of the suite's runs, at most `jobs` at once, until each run has had its last.
class SuitePool {
public:
    SuitePool(const RunOptions &options, std::vector<SuiteCaseResult> &results, SuiteFiles &files,
              const QString &workFolder, const QString &evidenceDir)
        : m_options(options)
        , m_results(results)
        , m_files(files)
        , m_workFolder(workFolder)
        , m_evidenceDir(evidenceDir)
        , m_jobs(jobsFor(options))
    {
        for (std::size_t index = 0; index < results.size(); ++index)
            m_queue.push_back({index, 1});
    }

    void run()
    {
        QSocketNotifier stopNotifier(m_stopSignals.descriptor(), QSocketNotifier::Read);
        QObject::connect(&stopNotifier, &QSocketNotifier::activated, [this] { stopIfAsked(); });
        startWhatFits();
        if (m_running > 0)
            m_loop.exec();
    }

private:
    struct Try {
        std::size_t caseIndex;
        int attempt;
    };

    void startWhatFits()
    {
        while (!m_stopping && m_running < m_jobs && !m_queue.empty()) {
            const Try next = m_queue.front();
            m_queue.pop_front();
            start(next);
        }
        if (m_running == 0)
            m_loop.quit();
    }

    QStringList argumentsFor(const SuiteCase &runCase, const QString &reportPath) const
    {
        QStringList arguments = m_options.runArguments;
        // Each try starts from a fresh browser: a Chromium of its own on a profile of its own.
        if (m_options.browser == RunOptions::BrowserKind::Chromium && !m_options.devtools && !m_options.isolated)
            arguments << QStringLiteral("--isolated");
        arguments << QStringLiteral("--report") << reportPath;
        if (!m_evidenceDir.isEmpty())
            arguments << QStringLiteral("--evidence") << m_evidenceDir;
        if (m_options.trace)
            arguments << QStringLiteral("--trace");
        if (runCase.variable)
            arguments << QStringLiteral("--var-env") << kDataVariable;
        return arguments << QStringLiteral("--") << runCase.scriptPath;
    }

    void start(const Try &attempt)
    {
        const SuiteCase &runCase = m_results[attempt.caseIndex].runCase;
        const QString reportPath = QDir(m_workFolder).filePath(QStringLiteral("%1-%2.jsonl").arg(attempt.caseIndex).arg(attempt.attempt));
        auto *process = new QProcess;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (runCase.variable)
            environment.insert(kDataVariable, *runCase.variable);
        process->setProcessEnvironment(environment);
        process->setStandardInputFile(QProcess::nullDevice());
        // A suite that dies (killed, or its output closed) takes its runs with it, each ending in order.
        // One that died while this run was being started, before the request was made, is seen by its
        // pid: the run then never starts.
        const pid_t suite = ::getpid();
        process->setChildProcessModifier([suite] {
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (::getppid() != suite)
                ::_exit(3);
        });
        auto *hung = new QTimer(process);
        hung->setSingleShot(true);
        QObject::connect(hung, &QTimer::timeout, process, &QProcess::kill);
        hung->start(std::chrono::seconds(m_options.timeoutSeconds + kHungGraceSeconds));
        QObject::connect(process, &QProcess::finished, process, [=, this](int exitCode, QProcess::ExitStatus status) {
            ended(attempt, reportPath, *process, status == QProcess::NormalExit ? exitCode : int(RunUnfinished));
        });
        QObject::connect(process, &QProcess::errorOccurred, process, [=, this](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                ended(attempt, reportPath, *process, RunBadInput);
        });
        ++m_running;
        m_processes.insert(process);
        process->start(QCoreApplication::applicationFilePath(), argumentsFor(runCase, reportPath));
    }

    void ended(const Try &attempt, const QString &reportPath, QProcess &process, int exitStatus)
    {
        // A signal to the whole process group ends the run too, maybe before the suite sees it.
        stopIfAsked();
        SuiteCaseResult &result = m_results[attempt.caseIndex];
        const QByteArray errors = process.readAllStandardError();
        printBlock(stdout, result.name(), process.readAllStandardOutput());
        printBlock(stderr, result.name(), errors);
        m_processes.remove(&process);
        process.deleteLater();
        const std::optional<RunTranscript> transcript = readRunTranscript(reportPath);
        SuiteAttempt tried{attempt.attempt, transcript ? transcript->identity : newRunIdentity(result.runCase.scriptPath),
                           transcript && transcript->summary ? *transcript->summary : RunSummary{},
                           reportPath};
        tried.summary.exitStatus = exitStatus;
        if (!transcript || !transcript->summary)
            tried.summary.message = process.exitStatus() == QProcess::NormalExit ? lastMessage(errors)
                                                                                 : QStringLiteral("the run's process was killed");
        result.attempts.push_back(tried);
        m_files.attemptEnded(result, tried, transcript ? transcript->text : QByteArray());
        m_files.write(m_results);
        if (deservesRetry(exitStatus) && attempt.attempt <= m_options.retries && !m_stopping)
            m_queue.push_back({attempt.caseIndex, attempt.attempt + 1});
        --m_running;
        startWhatFits();
    }

    // Asked to stop: no try starts any more, and those running are asked to stop.
    void stopIfAsked()
    {
        if (!m_stopSignals.received())
            return;
        m_stopping = true;
        m_queue.clear();
        printError(QStringLiteral("stopping: the runs under way are asked to stop, no other starts"));
        for (QProcess *process : std::as_const(m_processes))
            process->terminate();
    }

    const RunOptions &m_options;
    std::vector<SuiteCaseResult> &m_results;
    SuiteFiles &m_files;
    const QString m_workFolder;
    const QString m_evidenceDir;
    const int m_jobs;
    const StopSignals m_stopSignals;
    std::deque<Try> m_queue;
    QSet<QProcess *> m_processes; // running
    int m_running = 0;
    bool m_stopping = false;
    QEventLoop m_loop;
};

} // namespace

int runSuite(const RunOptions &options)
{
    QString error;
    const std::optional<QStringList> scripts = suiteScripts(options.scriptPaths, error);
    std::optional<DataTable> table;
    if (scripts && !options.dataPath.isEmpty())
        table = readDataTable(options.dataPath, error);
    if (!scripts || (!options.dataPath.isEmpty() && !table)) {
        printError(error);
        return RunBadInput;
    }
    const int variableColumn = table && !options.dataColumn.isEmpty() ? table->column(options.dataColumn) : 0;
    if (variableColumn < 0) {
        printError(QStringLiteral("--data-column: the data file has no column %1; it has %2")
                       .arg(options.dataColumn, table->columns.join(QStringLiteral(", "))));
        return RunBadInput;
    }
    std::vector<SuiteCaseResult> results;
    for (SuiteCase &runCase : shardOf(suiteCases(*scripts, table ? &*table : nullptr, variableColumn), options.shardIndex,
                                      options.shardCount))
        results.push_back({std::move(runCase), {}});
    SuiteFiles files(options);
    const QTemporaryDir workFolder; // each try's own report
    if (!workFolder.isValid()) {
        printError(QStringLiteral("cannot make a temporary folder: %1").arg(workFolder.errorString()));
        return RunBadInput;
    }
    if (!files.open())
        return RunBadInput;
    if (!options.htmlReportDir.isEmpty() && !makePrivateFolders(options.htmlReportDir, error)) {
        printError(QStringLiteral("cannot write the HTML report into %1: %2").arg(options.htmlReportDir, error));
        return RunBadInput;
    }
    if (results.empty())
        printError(QStringLiteral("no run in shard %1/%2").arg(options.shardIndex).arg(options.shardCount));
    const QString evidenceDir = !options.evidenceDir.isEmpty() || options.htmlReportDir.isEmpty()
        ? options.evidenceDir
        : QDir(options.htmlReportDir).filePath(QStringLiteral("evidence"));
    SuitePool(options, results, files, workFolder.path(), evidenceDir).run();
    files.write(results);
    int exitStatus = RunFinished;
    for (const SuiteCaseResult &result : results)
        exitStatus = worseExitStatus(exitStatus, result.exitStatus());
    std::fputs(suiteSummaryTable(results, exitStatus).toLocal8Bit().constData(), stdout);
    if (!options.htmlReportDir.isEmpty()) {
        if (writeHtmlReport(options.htmlReportDir, results, exitStatus, evidenceDir, error))
            printError(QStringLiteral("HTML report: %1").arg(QDir(options.htmlReportDir).filePath(QStringLiteral("index.html"))));
        else
            printError(QStringLiteral("cannot write the HTML report into %1: %2").arg(options.htmlReportDir, error));
    }
    return exitStatus;
}
