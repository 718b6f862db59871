#include "app/MainWindow.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    // Desktops match the window to its menu entry and icon by this name (Wayland's app id).
    QApplication::setDesktopFileName(QStringLiteral("navrelay"));
    // The program ends when the main window closes, whatever other windows are open.
    QApplication::setQuitOnLastWindowClosed(false);

    MainWindow window(defaultMainWindowOptions(QApplication::arguments()));
    QObject::connect(&window, &MainWindow::programEnded, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    window.startUp();
    window.show();
    return app.exec();
}
