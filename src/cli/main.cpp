#include "cli/RunOptions.h"
#include "cli/ScriptRun.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    // Widgets are only shown with --show; without a display the offscreen platform serves.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("navrelay-run"));
    QApplication::setOrganizationName(QStringLiteral("NavRelay"));

    const ParsedOptions parsed = parseRunOptions(QApplication::arguments().mid(1));
    if (!parsed.options) {
        std::fprintf(stderr, "navrelay-run: %s\n%s", parsed.error.toLocal8Bit().constData(),
                     runUsage().toLocal8Bit().constData());
        return RunBadInput;
    }
    return runScript(*parsed.options);
}
