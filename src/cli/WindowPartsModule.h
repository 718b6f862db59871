#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QStringList>

#include <memory>

class BuiltinBrowser;
class BuiltinWindow;
class QCoreApplication;

// What the window parts module of navrelay-run gives: one table, found by its C name. The module
// and the program come from one build.
struct WindowPartsFunctions {
    // The widget application the window parts draw in.
    QCoreApplication *(*createApplication)(int &argc, char **argv);
    void (*showBuiltinWindows)(BuiltinBrowser &browser);
    // The window's page as PNG once its resources are in or at the deadline, and what it lacks.
    QByteArray (*windowPicturePng)(const std::shared_ptr<BuiltinWindow> &window, QDeadlineTimer deadline,
                                   QStringList &notes);
};

inline constexpr char WindowPartsModuleFile[] = "navrelay-view.so";
inline constexpr char WindowPartsSymbol[] = "navrelay_window_parts";
