#include "ProgramVersion.h"
#include "cli/RunOptions.h"
#include "cli/ScriptCheckRun.h"
#include "cli/ScriptRecording.h"
#include "cli/ScriptRun.h"
#include "cli/SuiteRun.h"
#include "cli/WindowParts.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>

namespace {

void printOut(const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
}

// Widgets exist only for --show and for the built-in engine's picture of a page in --evidence:
// without them the run needs no display, fonts or platform.
bool needsWidgets(const RunOptions &options)
{
    if (options.task != RunOptions::Task::Run || options.suite)
        return false; // a suite's runs each load what they need
    return options.show || (!options.evidenceDir.isEmpty() && options.browser == RunOptions::BrowserKind::Builtin);
}

// Loads the window parts when the run needs them. False, and said, when the run cannot go
// without them: evidence can do without its picture, --show not without its windows.
bool loadWindowParts(const RunOptions &options, std::unique_ptr<WindowParts> &windowParts)
{
    if (!needsWidgets(options))
        return true;
    QString error;
    windowParts = WindowParts::load(error);
    if (windowParts)
        return true;
    const QString consequence =
        options.show ? QStringLiteral("--show needs the window parts") : QStringLiteral("the evidence has no picture of the page");
    std::fprintf(stderr, "navrelay-run: %s: %s\n", consequence.toLocal8Bit().constData(), error.toLocal8Bit().constData());
    return !options.show;
}

std::unique_ptr<QCoreApplication> createApplication(const RunOptions &options, const WindowParts *windowParts,
                                                    int &argc, char **argv)
{
    if (!windowParts)
        return std::make_unique<QCoreApplication>(argc, argv);
    // The picture of a page is drawn offscreen; only --show needs the display.
    const bool noDisplay = qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if ((noDisplay || !options.show) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return windowParts->createApplication(argc, argv);
}

} // namespace

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const ParsedOptions parsed = parseRunOptions(arguments);
    if (!parsed.options) {
        std::fprintf(stderr, "navrelay-run: %s\n%s", parsed.error.toLocal8Bit().constData(),
                     runUsage().toLocal8Bit().constData());
        return RunBadInput;
    }
    const RunOptions &options = *parsed.options;
    std::unique_ptr<WindowParts> windowParts; // outlives the application made in it
    if (!loadWindowParts(options, windowParts))
        return RunBadInput;
    const auto app = createApplication(options, windowParts.get(), argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("navrelay-run"));
    QCoreApplication::setOrganizationName(QStringLiteral("NavRelay"));
    switch (options.task) {
    case RunOptions::Task::Help:
        printOut(runHelp());
        return RunFinished;
    case RunOptions::Task::Version:
        printOut(QStringLiteral("navrelay-run %1\n").arg(QLatin1String(NAVRELAY_VERSION_TEXT)));
        return RunFinished;
    case RunOptions::Task::Check: return checkScripts(options);
    case RunOptions::Task::Record: return recordScript(options);
    case RunOptions::Task::Run: break;
    }
    if (options.suite)
        return runSuite(options);
    return runScript(options, windowParts.get());
}
