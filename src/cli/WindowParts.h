#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <QStringList>

#include <memory>

class BuiltinBrowser;
class BuiltinWindow;
class QCoreApplication;
struct WindowPartsFunctions;

// The window parts of a run: the built-in engine's windows for --show and its pictures of a page
// for --evidence. They come from a module of their own that only the runs using them load, so
// that the others start without Qt's widget and drawing libraries and the page layout engine.
class WindowParts {
public:
    // The module beside the program, or where the installation puts it; null, with the reason
    // in `error`, when it cannot be loaded.
    [[nodiscard]] static std::unique_ptr<WindowParts> load(QString &error);

    // The widget application of the run, in place of a core one.
    [[nodiscard]] std::unique_ptr<QCoreApplication> createApplication(int &argc, char **argv) const;
    void showBuiltinWindows(BuiltinBrowser &browser) const;
    [[nodiscard]] QByteArray windowPicturePng(const std::shared_ptr<BuiltinWindow> &window, QDeadlineTimer deadline,
                                              QStringList &notes) const;

private:
    explicit WindowParts(const WindowPartsFunctions &functions) : m_functions(functions) {}

    const WindowPartsFunctions &m_functions;
};
