#include "browser/builtin/net/ProxySettings.h"
#include "cli/ScriptRun.h"

#include "ProgramVersion.h"
#include "browser/Automation.h"
#include "browser/Browser.h"
#include "browser/builtin/BuiltinBrowser.h"
#include "browser/chromium/ChromiumBrowser.h"
#include "cli/ErrorOutput.h"
#include "cli/RunFiles.h"
#include "cli/RunWatch.h"
#include "cli/ScriptSource.h"
#include "cli/StopSignals.h"
#include "cli/TerminalHost.h"
#include "cli/WindowParts.h"
#include "engine/ElementWait.h"
#include "engine/LoadWatch.h"
#include "engine/RunRecorder.h"
#include "engine/ScriptCheck.h"
#include "engine/ScriptText.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

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
        // Chromium takes no credentials on its command line: it asks for them.
        if (!options.proxy.isEmpty())
            settings.proxy = ProxySettings::withoutCredentials(options.proxy);
        settings.insecure = options.insecure;
        if (options.isolated)
            settings.profileFolder = isolatedProfile;
        return std::make_unique<ChromiumBrowser>(settings);
    }
    // The built-in engine runs in this process: it is open, on a blank page, before the attach.
    auto browser = std::make_unique<BuiltinBrowser>();
    if (const auto proxy = ProxySettings::single(options.proxy))
        browser->network().setProxy(*proxy);
    if (options.insecure)
        browser->network().skipCertificateChecks();
    if (options.show && windowParts)
        windowParts->showBuiltinWindows(*browser);
    browser->startProgram();
    return browser;
}

namespace {

// The run ends before it began: said, and written to the files.
int endBeforeRun(RunFiles &files, int exitCode, const QString &message)
{
    printError(message);
    files.finish({exitCode, 0, 0, 0, message});
    return exitCode;
}

// Why a script that was not read is not run, and with which exit status.
int endUnread(RunFiles &files, const ScriptSource &script)
{
    const QString name = scriptSourceName(files.identity().scriptPath);
    switch (script.outcome) {
    case ScriptSource::Outcome::Refused:
        return endBeforeRun(files, RunBadInput,
                            QStringLiteral("the script %1 is refused: %2 (at most %L3 lines of at most 1 MB each, %4 MB in all)")
                                .arg(name, script.problem)
                                .arg(kMaxScriptLines)
                                .arg(kMaxScriptBytes / (1024 * 1024)));
    case ScriptSource::Outcome::TimedOut:
        return endBeforeRun(files, RunUnfinished, QStringLiteral("the script %1 was still being read at --timeout").arg(name));
    case ScriptSource::Outcome::Stopped:
        return endBeforeRun(files, RunUnfinished, QStringLiteral("the run was stopped while its script was read"));
    case ScriptSource::Outcome::Unreadable:
    case ScriptSource::Outcome::Read: break;
    }
    return endBeforeRun(files, RunBadInput, QStringLiteral("cannot read the script %1: %2").arg(name, script.problem));
}

// A Chromium the user names must answer at once: waiting for it to appear would take the
// attach's 30 seconds and end in a message about starting one.
bool devToolsEndpointAnswers(const RunOptions &options, Browser &browser)
{
    auto *chromium = dynamic_cast<ChromiumBrowser *>(&browser);
    return !options.devtools || !chromium || chromium->endpointAnswers();
}

QString browserVersion(Browser &browser)
{
    if (auto *chromium = dynamic_cast<ChromiumBrowser *>(&browser))
        return chromium->version();
    return QStringLiteral("NavRelay built-in engine %1").arg(QLatin1String(NAVRELAY_VERSION_TEXT));
}

// What the terminal says once the run has ended: how, and what failed to load.
void tellEnd(const RunEnd &end, const QList<FailedLoad> &failedLoads, const QStringList &writtenLines, const SecretMask &mask)
{
    if (!end.message.isEmpty() && !end.printed)
        printError(mask.apply(end.message));
    // After the message the script language gives, what was wrong, in a sentence of its own.
    if (end.errorNumber > 0) {
        if (const QString cause = failureCause(writtenLines, end.line, end.errorNumber); !cause.isEmpty())
            printError(mask.apply(cause + QLatin1Char('.')));
    }
    if (end.exitCode == RunHalted && failedLoads.size() == 1 && end.message.contains(failedLoads.constFirst().reason))
        return; // the one failed load is the message
    for (const FailedLoad &load : failedLoads)
        printError(mask.apply(QStringLiteral("  line %1 \"%2\": %3: %4").arg(load.line).arg(load.text, load.address, load.reason)));
}

// A finished run whose pages did not all load ends with its own status.
void countFailedLoads(RunEnd &end, const QList<FailedLoad> &failures)
{
    if (end.exitCode != RunFinished || failures.isEmpty())
        return;
    end.exitCode = RunLoadsFailed;
    end.message = failures.size() == 1 ? QStringLiteral("finished, but 1 page load failed")
                                       : QStringLiteral("finished, but %1 page loads failed").arg(failures.size());
    end.line = failures.constFirst().line;
}

// Tells on standard error which line waits for which element, as the window's status does.
class ElementWaitNotice final : public RunObserver {
public:
    ElementWaitNotice(const RunRecorder &recorder, const RunFiles &files) : m_recorder(recorder), m_files(files) {}

    void lineStarted(qint16, const QString &) override {}
    void lineEnded() override {}
    void lineFailed(const ScriptError &, bool) override {}
    void pageCompleted() override {}
    void elementWaitStarted(const ActionTarget &target, qint64 timeoutMs) override
    {
        const auto &record = m_recorder.lastLine();
        if (!record)
            return;
        printError(m_files.mask().apply(QStringLiteral("%1: waiting up to %2 s for %3")
                                            .arg(lineLabel(*record), secondsText(timeoutMs), describeTarget(target))));
    }

private:
    const RunRecorder &m_recorder;
    const RunFiles &m_files;
};

// What a run has that outlives its browser.
struct RunContext {
    const RunOptions &options;
    RunFiles &files;
    const StopSignals &stopSignals;
};

// Runs the script on the attached browser until it ends, and tells and writes how it ended.
int runAttached(const RunContext &run, Automation &automation, TerminalHost &host, const QString &scriptText)
{
    const RunOptions &options = run.options;
    RunFiles &files = run.files;
    QElapsedTimer clock;
    clock.start();
    // The run's time counts from its attached browser: starting Chromium takes what it takes.
    const QDeadlineTimer deadline{std::chrono::seconds(options.timeoutSeconds)};
    RunRecorder recorder([&clock] { return clock.elapsed(); }, files.wantsPages() ? &automation.connection : nullptr,
                         [&files, &automation, deadline](const LineRecord &record) {
                             files.write(record);
                             if (record.pageArrived)
                                 files.keepTracePicture(automation.connection, deadline);
                         });
    LoadWatch loads(automation.connection, options.strict ? LoadWatch::Statuses::Fail : LoadWatch::Statuses::Pass,
                    [&](const FailedLoad &load) { recorder.loadFailed(load.reason, options.strict); });
    host.setLineLabel([&recorder] { return recorder.lineHalted() ? lineLabel(*recorder.lastLine()) : QString(); });
    ElementWaitNotice waitNotice(recorder, files);
    automation.runner.addObserver(recorder);
    automation.runner.addObserver(loads);
    automation.runner.addObserver(waitNotice);
    automation.runner.tickTimer().setInterval(options.tickMs);
    automation.runner.runScript(scriptText);
    files.setMask(SecretMask(automation.state.variableText));
    RunEnd end = waitForRun(automation, recorder, loads, {deadline, options.timeoutSeconds, &run.stopSignals, options.strict});
    automation.runner.removeObserver(waitNotice);
    automation.runner.removeObserver(loads);
    automation.runner.removeObserver(recorder);
    host.setLineLabel({});
    countFailedLoads(end, loads.failures());
    tellEnd(end, loads.failures(), automation.state.writtenLines, files.mask());
    if (end.exitCode != RunFinished)
        files.keepEvidence(automation.connection, automation.state.writtenLines, end, deadline);
    files.finish(recorder.finish(end.exitCode, end.message, end.lastLineUnfinished), loads.failures());
    return end.exitCode;
}

// Starts or finds the browser the options name and runs the script on it.
int runOnBrowser(const RunContext &run, const QString &scriptText, bool canAskTerminal, const WindowParts *windowParts)
{
    const RunOptions &options = run.options;
    TerminalHost host(options.variable, options.verbose, canAskTerminal);
    std::optional<QTemporaryDir> isolatedProfile; // removed after the browser, declared before it
    if (options.isolated)
        isolatedProfile.emplace();
    const auto browser = createBrowser(options, isolatedProfile ? isolatedProfile->path() : QString(), windowParts);
    if (!devToolsEndpointAnswers(options, *browser))
        return endBeforeRun(run.files, RunBadInput,
                            QStringLiteral("no DevTools endpoint answers at %1").arg(options.devtools->displayText()));
    Automation automation(host, *browser);
    automation.state.strictLookups = options.strict;
    automation.state.elementWaitMs = elementWaitMsOf(options);
    automation.connection.attachBrowser();
    if (!automation.connection.attachedWindow())
        return endBeforeRun(run.files, RunBadInput, QStringLiteral("no browser could be attached"));
    run.files.identity().browserVersion = browserVersion(*browser);
    run.files.start();
    return runAttached(run, automation, host, scriptText);
}

RunIdentity identityOf(const RunOptions &options)
{
    RunIdentity identity = newRunIdentity(options.scriptPaths.constFirst());
    identity.engine = options.browser == RunOptions::BrowserKind::Chromium ? QStringLiteral("chromium") : QStringLiteral("builtin");
    identity.navrelayVersion = QLatin1String(NAVRELAY_VERSION_TEXT);
    identity.options = optionsRecord(options);
    return identity;
}

} // namespace

int runScript(const RunOptions &options, const WindowParts *windowParts)
{
    const StopSignals stopSignals;
    RunFiles files(options, identityOf(options), windowParts);
    const RunContext run{options, files, stopSignals};
    if (!files.open())
        return RunBadInput;
    const QString path = options.scriptPaths.constFirst();
    const ScriptSource script = readScriptSource(path, QDeadlineTimer(std::chrono::seconds(options.timeoutSeconds)),
                                                 stopSignals.descriptor());
    if (script.outcome != ScriptSource::Outcome::Read)
        return endUnread(files, script);
    files.identity().scriptSha256 = QString::fromLatin1(script.sha256);
    const bool canAskTerminal = path != QLatin1String("-") && isatty(STDIN_FILENO);
    if (hasVariableMarker(script.text) && !options.variable && !canAskTerminal)
        return endBeforeRun(files, RunBadInput,
                            QStringLiteral("the script uses \"$$$\" and nothing gives its text: give it with --var-env NAME, "
                                           "--var-file FILE or --var TEXT"));
    return runOnBrowser(run, script.text, canAskTerminal, windowParts);
}
