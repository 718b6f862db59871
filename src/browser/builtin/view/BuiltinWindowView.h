#pragma once

#include <QMainWindow>

#include <functional>
#include <memory>

class BuiltinWindow;
class PageView;
class QAction;
class QLineEdit;
class QToolBar;

// The top-level window that shows one built-in browser window: the toolbar with Back (Alt+Left),
// Forward (Alt+Right, after going back), Reload (F5, Ctrl+R: the page and its resources fetched
// again from their servers) and the address bar (Enter navigates,
// Ctrl+L goes to it), the page as a browser draws it, and a status bar with the window's status
// text, or the address of the link under the mouse. Closing it closes the browser window.
class BuiltinWindowView final : public QMainWindow {
    Q_OBJECT
public:
    explicit BuiltinWindowView(const std::shared_ptr<BuiltinWindow> &window, QWidget *parent = nullptr);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showPage();
    void showBars();
    void navigateToTyped();
    void goBack();
    void goForward();
    void reload();
    // A person's action on the window, unless it is closed; a failure is only logged.
    void actOnOpenWindow(const char *what, const std::function<void(BuiltinWindow &)> &action);
    void addZoomKeys();

    std::weak_ptr<BuiltinWindow> m_window;
    QToolBar *m_toolBar;
    QAction *m_forward = nullptr;
    QLineEdit *m_address;
    PageView *m_page;
};
