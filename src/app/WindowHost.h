#pragma once

#include "engine/Host.h"

#include <QElapsedTimer>

#include <functional>

class QLabel;
class QWidget;

// The Host of the main window: status panel 1, modal message and input boxes over the window,
// the clipboard, the beep, a blocking sleep, and closing the window.
class WindowHost : public Host {
public:
    // openCommandReference is what a message box's Help button does; closeWindow what the end
    // of a command-line run does.
    WindowHost(QWidget &mainWindow, QLabel &statusPanel, std::function<void()> openCommandReference,
               std::function<void()> closeWindow);

    void setStatusText(const QString &text) override;
    void messageBox(const QString &text, const QString &title, MessageIcon icon,
                    MessageButtons buttons) override;
    QString inputBox(const QString &prompt, const QString &title, const QString &defaultText) override;
    QString clipboardText() override;
    void beep() override;
    void sleep(int milliseconds) override;
    void closeMainWindow() override;

    static constexpr int kStatusPaintMs = 30;

private:
    void showStatusText();

    QWidget &m_window;
    QLabel &m_statusPanel;
    std::function<void()> m_openCommandReference;
    std::function<void()> m_closeWindow;
    QString m_statusText;
    QElapsedTimer m_sinceShown;
    bool m_statusPending = false;
};
