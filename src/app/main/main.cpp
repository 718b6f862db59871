#include "ProgramVersion.h"
#include "app/MainWindow.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    // Desktops match the window to its menu entry and icon by this name (Wayland's app id).
    QApplication::setDesktopFileName(QStringLiteral("navrelay"));
    // The program ends when the main window closes, whatever other windows are open.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationVersion(QStringLiteral(NAVRELAY_VERSION_TEXT));

    // Whatever follows the options is the name of a library script, blanks and all.
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("NavRelay: drives a web browser with line scripts. Given a script "
                                                    "name, runs that library script after a ten-second countdown."));
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("SCRIPT"), QStringLiteral("The library script to run."),
                                 QStringLiteral("[SCRIPT]"));
    parser.process(app);

    MainWindow window(defaultMainWindowOptions(QStringList{QApplication::arguments().constFirst()}
                                               + parser.positionalArguments()));
    QObject::connect(&window, &MainWindow::programEnded, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    window.startUp();
    window.show();
    return app.exec();
}
