#pragma once

#include <QMainWindow>

#include <memory>

class BuiltinWindow;
class PageView;
class QLineEdit;
class QToolBar;

// The top-level window that shows one built-in browser window: the address bar is its toolbar
// (Enter navigates), the page as rich text (a link click is a navigation of the window), and
// a status bar with the window's status text. Closing it closes the browser window.
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
    void followLink(const QUrl &link);

    std::weak_ptr<BuiltinWindow> m_window;
    QToolBar *m_toolBar;
    QLineEdit *m_address;
    PageView *m_page;
};
