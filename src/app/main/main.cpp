#include "ProgramVersion.h"
#include "app/MainWindow.h"

#include <QApplication>
#include <QByteArrayView>
#include <QCommandLineParser>

namespace {

// Whatever follows the options is the name of a library script, blanks and all.
void describeCommandLine(QCommandLineParser &parser)
{
    QCoreApplication::setApplicationVersion(QStringLiteral(NAVRELAY_VERSION_TEXT));
    parser.setApplicationDescription(QStringLiteral("NavRelay: drives a web browser with line scripts. Given a script "
                                                    "name, runs that library script after a ten-second countdown."));
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("SCRIPT"), QStringLiteral("The library script to run."),
                                 QStringLiteral("[SCRIPT]"));
}

// --help and --version among the options before the script name.
bool asksForHelpOrVersion(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView argument(argv[i]);
        if (!argument.startsWith('-'))
            return false;
        for (const char *answered : {"-h", "--help", "-?", "--help-all", "-v", "--version"}) {
            if (argument == answered)
                return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    // Help and version are answered before a window system is reached, so that they need no display.
    if (asksForHelpOrVersion(argc, argv)) {
        const QCoreApplication app(argc, argv);
        QCommandLineParser parser;
        describeCommandLine(parser);
        parser.process(app);
        return 0;
    }

    QApplication app(argc, argv);
    // Desktops match the window to its menu entry and icon by this name (Wayland's app id).
    QApplication::setDesktopFileName(QStringLiteral("navrelay"));
    // The program ends when the main window closes, whatever other windows are open.
    QApplication::setQuitOnLastWindowClosed(false);
    QCommandLineParser parser;
    describeCommandLine(parser);
    parser.process(app);

    MainWindow window(defaultMainWindowOptions(QStringList{QApplication::arguments().constFirst()}
                                               + parser.positionalArguments()));
    QObject::connect(&window, &MainWindow::programEnded, &app, [&window] { QCoreApplication::exit(window.exitCode()); },
                     Qt::QueuedConnection);
    window.startUp();
    // A command line naming no script has ended the program already.
    if (!window.hasEnded())
        window.show();
    return app.exec();
}
