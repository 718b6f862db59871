#include "cli/ScriptRun.h"

#include "browser/Automation.h"
#include "browser/Browser.h"
#include "browser/builtin/BuiltinBrowser.h"
#include "browser/chromium/ChromiumBrowser.h"
#include "cli/ErrorOutput.h"
#include "cli/RunEvidence.h"
#include "cli/RunReport.h"
#include "cli/ScriptSource.h"
#include "cli/TerminalHost.h"
#include "cli/WindowParts.h"
#include "engine/RunObserver.h"
#include "engine/RunRecorder.h"
#include "engine/ScriptError.h"
#include "engine/ScriptText.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <unistd.h>

std::unique_ptr<Browser> createBrowser(const RunOptions &options, const QString &isolatedProfile,
                                       const WindowParts *windowParts)
{
    if (options.browser == RunOptions::BrowserKind::Chromium) {
        ChromiumSettings settings;
        settings.address = options.devtools;
        settings.program = options.chromiumPath;
        if (options.isolated)
            settings.profileFolder = isolatedProfile;
        return std::make_unique<ChromiumBrowser>(settings);
    }
    // The built-in engine runs in this process: it is open, on a blank page, before the attach.
    auto browser = std::make_unique<BuiltinBrowser>();
    if (options.show && windowParts)
        windowParts->showBuiltinWindows(*browser);
    browser->startProgram();
    return browser;
}

namespace {

constexpr int kWatchIntervalMs = 10;

bool browserBusy(BrowserConnection &connection)
{
    try {
        return connection.attachedWindow() && connection.attachedWindow()->isBusy();
    } catch (const ScriptError &) {
        return false;
    }
}

// How a run ended, as the watch saw it.
struct RunEnd {
    int exitCode = RunFinished;
    QString message; // names the line, empty when the run finished
    int line = 0; // the line the run ended on, 1-based
    bool printed = false; // the message box that halted the run has said it already
    bool lastLineUnfinished = false;
};

RunEnd halted(const RunRecorder &recorder)
{
    const auto &record = recorder.lastLine();
    if (!record)
        return {RunHalted, QStringLiteral("the run halted")};
    const bool shownAsMessageBox = record->errorNumber && *record->errorNumber > 0;
    return {RunHalted, QStringLiteral("%1: %2").arg(lineLabel(*record), record->message), record->line, shownAsMessageBox};
}

RunEnd parked(const RunState &state)
{
    const int line = state.currentLine + 1;
    return {RunUnfinished, QStringLiteral("line %1 \"\": the run stopped on an empty line (%1)").arg(line), line};
}

// What the run was doing when its time ran out: waiting for a page, sleeping, or running on.
RunEnd timedOut(const RunRecorder &recorder, int timeoutSeconds, RunStatus status)
{
    const QString waited = QString::number(double(recorder.waitedMs()) / 1000.0, 'f', 1);
    QString doing;
    if (status == RunStatus::Sleeping)
        doing = QStringLiteral(": sleeping for %1 s").arg(waited);
    else if (status != RunStatus::Ready)
        doing = QStringLiteral(": waiting for a page for %1 s").arg(waited);
    const QString ending = QStringLiteral("the run did not finish within %1 s%2").arg(timeoutSeconds).arg(doing);
    const auto &record = recorder.lastLine();
    if (!record)
        return {RunUnfinished, ending};
    return {RunUnfinished, QStringLiteral("%1: %2").arg(lineLabel(*record), ending), record->line, false,
            status != RunStatus::Ready};
}

// The end of the run once it has come, judged from outside.
std::optional<RunEnd> runEnd(Automation &automation, const RunRecorder &recorder, const QDeadlineTimer &deadline,
                             int timeoutSeconds)
{
    RunStatus status = automation.runner.status();
    switch (status) {
    case RunStatus::Halted: return halted(recorder);
    case RunStatus::Parked: return parked(automation.state);
    case RunStatus::Stopped:
        // A last line that navigates has only started the load: the run is done once it comes.
        if (!automation.state.waitingForPage && !browserBusy(automation.connection))
            return RunEnd{};
        status = RunStatus::WaitingForPage;
        break;
    case RunStatus::WaitingForPage:
    case RunStatus::Sleeping:
    case RunStatus::Paused: // the terminal runner never pauses
    case RunStatus::Ready: break;
    }
    if (!deadline.hasExpired())
        return std::nullopt;
    return timedOut(recorder, timeoutSeconds, status);
}

// Looks at the run as soon as a line or a page may have ended it.
class EndWatch final : public RunObserver {
public:
    explicit EndWatch(std::function<void()> look) : m_look(std::move(look)) {}

    void lineStarted(qint16, const QString &) override {}
    void lineEnded() override { m_look(); }
    void lineFailed(const ScriptError &, bool) override {}
    void pageCompleted() override { m_look(); }

private:
    const std::function<void()> m_look;
};

// Watches the run from outside until it ends one way or another; the event loop runs meanwhile.
RunEnd waitForRun(Automation &automation, const RunRecorder &recorder, int timeoutSeconds)
{
    QEventLoop loop;
    std::optional<RunEnd> end;
    const QDeadlineTimer deadline{std::chrono::seconds(timeoutSeconds)};
    QTimer watch;
    watch.setInterval(kWatchIntervalMs);
    const auto look = [&] {
        if (end)
            return;
        end = runEnd(automation, recorder, deadline, timeoutSeconds);
        if (!end)
            return;
        watch.stop();
        loop.quit();
    };
    // A line or a page that ends the run is seen at once; the watch sees the rest (a halt, the
    // deadline).
    EndWatch endWatch(look);
    automation.runner.addObserver(endWatch);
    QObject::connect(&watch, &QTimer::timeout, &loop, look);
    watch.start();
    loop.exec();
    automation.runner.removeObserver(endWatch);
    return *end;
}

// The files a run writes as it goes and when it ends: --report, --junit, --evidence.
class RunFiles {
public:
    RunFiles(const RunOptions &options, QString scriptName, const WindowParts *windowParts)
        : m_options(options), m_scriptName(std::move(scriptName)), m_windowParts(windowParts)
    {
    }

    // Opens the report; false, and said, when it cannot be written.
    [[nodiscard]] bool open()
    {
        if (m_options.reportPath.isEmpty() || m_report.open(m_options.reportPath))
            return true;
        printError(QStringLiteral("cannot write the report %1").arg(m_options.reportPath));
        return false;
    }
    [[nodiscard]] bool wantsPages() const { return !m_options.reportPath.isEmpty(); }
    void write(const LineRecord &record) { m_report.write(record); }

    void finish(const RunSummary &summary)
    {
        m_report.write(summary);
        if (!m_options.junitPath.isEmpty() && !writeJUnit(m_options.junitPath, m_scriptName, summary))
            printError(QStringLiteral("cannot write the JUnit file %1").arg(m_options.junitPath));
    }

    void keepEvidence(BrowserConnection &connection, const QStringList &scriptLines, const RunEnd &end)
    {
        if (m_options.evidenceDir.isEmpty())
            return;
        const QStringList written = writeEvidence(m_options.evidenceDir, m_scriptName, scriptLines, end.line,
                                                  end.message, capturePage(connection, m_windowParts));
        if (written.isEmpty())
            printError(QStringLiteral("cannot write evidence into %1").arg(m_options.evidenceDir));
        for (const QString &path : written)
            printError(QStringLiteral("evidence: %1").arg(path));
    }

private:
    const RunOptions &m_options;
    QString m_scriptName;
    const WindowParts *const m_windowParts;
    RunReport m_report;
};

QString scriptName(const QString &path)
{
    return path == QLatin1String("-") ? QStringLiteral("stdin") : QFileInfo(path).completeBaseName();
}

} // namespace

int runScript(const RunOptions &options, const WindowParts *windowParts)
{
    const QString path = options.scriptPaths.constFirst();
    RunFiles files(options, scriptName(path), windowParts);
    if (!files.open())
        return RunBadInput;
    const auto script = readScriptSource(path);
    if (!script) {
        const QString message = QStringLiteral("cannot read the script %1").arg(path);
        printError(message);
        files.finish({RunBadInput, 0, 0, 0, message});
        return RunBadInput;
    }
    const bool scriptFromTerminal = path == QLatin1String("-");
    TerminalHost host(options.variable, options.verbose, !scriptFromTerminal && isatty(STDIN_FILENO));
    std::optional<QTemporaryDir> isolatedProfile; // removed after the browser, declared before it
    if (options.isolated)
        isolatedProfile.emplace();
    const auto browser = createBrowser(options, isolatedProfile ? isolatedProfile->path() : QString(), windowParts);
    Automation automation(host, *browser);
    automation.state.strictLookups = options.strict;

    automation.connection.attachBrowser();
    if (!automation.connection.attachedWindow()) {
        const QString message = QStringLiteral("no browser could be attached");
        printError(message);
        files.finish({RunBadInput, 0, 0, 0, message});
        return RunBadInput;
    }
    QElapsedTimer clock;
    clock.start();
    RunRecorder recorder([&clock] { return clock.elapsed(); }, files.wantsPages() ? &automation.connection : nullptr,
                         [&files](const LineRecord &record) { files.write(record); });
    host.setLineLabel([&recorder] { return recorder.lineHalted() ? lineLabel(*recorder.lastLine()) : QString(); });
    automation.runner.addObserver(recorder);
    automation.runner.tickTimer().setInterval(options.tickMs);
    automation.runner.runScript(*script);

    const RunEnd end = waitForRun(automation, recorder, options.timeoutSeconds);
    automation.runner.tickTimer().stop();
    automation.runner.removeObserver(recorder);
    host.setLineLabel({});
    if (!end.message.isEmpty() && !end.printed)
        printError(end.message);
    if (end.exitCode != RunFinished)
        files.keepEvidence(automation.connection, automation.state.scriptLines, end);
    files.finish(recorder.finish(end.exitCode, end.message, end.lastLineUnfinished));
    return end.exitCode;
}
