#include "cli/RunOptions.h"
#include "cli/ScriptRun.h"

#include <QApplication>

#include <cstdio>
#include <memory>

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
    // Widgets exist only with --show: without it the run needs no display, fonts or platform.
    std::unique_ptr<QCoreApplication> app;
    if (parsed.options->show) {
        if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
            && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("navrelay-run"));
    QCoreApplication::setOrganizationName(QStringLiteral("NavRelay"));
    return runScript(*parsed.options);
}
