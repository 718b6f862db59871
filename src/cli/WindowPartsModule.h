#pragma once

#include <QByteArray>

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
    QByteArray (*windowPicturePng)(const std::shared_ptr<BuiltinWindow> &window);
};

inline constexpr char WindowPartsModuleFile[] = "navrelay-view.so";
inline constexpr char WindowPartsSymbol[] = "navrelay_window_parts";
