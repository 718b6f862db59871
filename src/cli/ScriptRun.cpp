#include "cli/ScriptRun.h"

#include "browser/Automation.h"
#include "browser/Browser.h"
#include "browser/builtin/BuiltinBrowser.h"
#include "browser/builtin/view/ShowBuiltinWindows.h"
#include "browser/chromium/ChromiumBrowser.h"
#include "cli/TerminalHost.h"
#include "engine/ScriptError.h"
#include "engine/ScriptFile.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <optional>
#include <unistd.h>

namespace {

constexpr int kWatchIntervalMs = 10;

void printError(const QString &text)
{
    std::fprintf(stderr, "navrelay-run: %s\n", text.toLocal8Bit().constData());
}

std::optional<QString> readScript(const QString &path)
{
    if (path == QLatin1String("-")) {
        QFile input;
        if (!input.open(stdin, QIODevice::ReadOnly))
            return std::nullopt;
        return scriptTextFromBytes(input.readAll());
    }
    return readScriptFile(path);
}

std::unique_ptr<Browser> createBrowser(const RunOptions &options)
{
    if (options.browser == RunOptions::BrowserKind::Chromium) {
        ChromiumSettings settings;
        settings.address = options.devtools;
        settings.program = options.chromiumPath;
        return std::make_unique<ChromiumBrowser>(settings);
    }
    // The built-in engine runs in this process: it is open, on a blank page, before the attach.
    auto browser = std::make_unique<BuiltinBrowser>();
    if (options.show)
        showBuiltinWindows(*browser);
    browser->startProgram();
    return browser;
}

bool browserBusy(BrowserConnection &connection)
{
    try {
        return connection.attachedWindow() && connection.attachedWindow()->isBusy();
    } catch (const ScriptError &) {
        return false;
    }
}

// Watches the run from outside until it ends one way or another.
int waitForRun(Automation &automation, int timeoutSeconds)
{
    ScriptRunner &runner = automation.runner;
    QEventLoop loop;
    int exitCode = RunUnfinished;
    const QDeadlineTimer deadline{std::chrono::seconds(timeoutSeconds)};
    QTimer watch;
    watch.setInterval(kWatchIntervalMs);
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        switch (runner.status()) {
        case RunStatus::Stopped:
            // A last line that navigates has only started the load: let the browser finish it,
            // as a browser in a process of its own would after the run.
            if ((automation.state.waitingForPage || browserBusy(automation.connection)) && !deadline.hasExpired())
                return;
            exitCode = RunFinished;
            break;
        case RunStatus::Halted:
            exitCode = RunHalted;
            break;
        case RunStatus::Parked:
            printError(QStringLiteral("the run stopped on an empty line (%1)").arg(runner.state().currentLine + 1));
            exitCode = RunUnfinished;
            break;
        case RunStatus::WaitingForPage:
        case RunStatus::Ready:
        case RunStatus::Paused:
            if (!deadline.hasExpired())
                return;
            printError(QStringLiteral("the run did not finish within %1 s (line %2%3)")
                           .arg(timeoutSeconds)
                           .arg(runner.state().currentLine + 1)
                           .arg(runner.state().waitingForPage ? QStringLiteral(", waiting for a page") : QString()));
            exitCode = RunUnfinished;
            break;
        }
        watch.stop();
        loop.quit();
    });
    watch.start();
    loop.exec();
    return exitCode;
}

} // namespace

int runScript(const RunOptions &options)
{
    const auto script = readScript(options.scriptPath);
    if (!script) {
        printError(QStringLiteral("cannot read the script %1").arg(options.scriptPath));
        return RunBadInput;
    }
    const bool scriptFromTerminal = options.scriptPath == QLatin1String("-");
    TerminalHost host(options.variable, options.verbose, !scriptFromTerminal && isatty(STDIN_FILENO));
    const auto browser = createBrowser(options);
    Automation automation(host, *browser);

    automation.connection.attachBrowser();
    if (!automation.connection.attachedWindow()) {
        printError(QStringLiteral("no browser could be attached"));
        return RunBadInput;
    }
    automation.runner.tickTimer().setInterval(options.tickMs);
    automation.runner.runScript(*script);
    return waitForRun(automation, options.timeoutSeconds);
}
