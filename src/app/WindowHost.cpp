#include "app/WindowHost.h"

#include <QApplication>
#include <QClipboard>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>

namespace {

QMessageBox::Icon messageBoxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

WindowHost::WindowHost(QWidget &mainWindow, QLabel &statusPanel, std::function<void()> openCommandReference,
                       std::function<void()> closeWindow)
    : m_window(mainWindow)
    , m_statusPanel(statusPanel)
    , m_openCommandReference(std::move(openCommandReference))
    , m_closeWindow(std::move(closeWindow))
{
}

void WindowHost::setStatusText(const QString &text)
{
    // A fast run changes the text thousands of times a second: the panel shows the newest text
    // at most every kStatusPaintMs, so measuring and drawing it never sets the run's pace.
    m_statusText = text;
    if (!m_sinceShown.isValid() || m_sinceShown.hasExpired(kStatusPaintMs)) {
        showStatusText();
    } else if (!m_statusPending) {
        m_statusPending = true;
        QTimer::singleShot(kStatusPaintMs, &m_statusPanel, [this] { showStatusText(); });
    }
}

void WindowHost::showStatusText()
{
    m_statusPending = false;
    m_sinceShown.start();
    m_statusPanel.setText(m_statusText);
}

void WindowHost::messageBox(const QString &text, const QString &title, MessageIcon icon, MessageButtons buttons)
{
    QMessageBox box(messageBoxIcon(icon), title, text, QMessageBox::Ok, &m_window);
    if (buttons == MessageButtons::OkHelp) {
        // Help shows the command reference and leaves the message open, as a help button does.
        QPushButton *help = box.addButton(QMessageBox::Help);
        QObject::disconnect(help, &QAbstractButton::clicked, nullptr, nullptr);
        QObject::connect(help, &QAbstractButton::clicked, &box, [this] { m_openCommandReference(); });
    }
    box.exec();
}

QString WindowHost::inputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    bool confirmed = false;
    const QString answer = QInputDialog::getText(&m_window, title, prompt, QLineEdit::Normal, defaultText, &confirmed);
    return confirmed ? answer : QString();
}

QString WindowHost::clipboardText()
{
    return QGuiApplication::clipboard()->text();
}

void WindowHost::beep()
{
    QApplication::beep();
}

void WindowHost::sleep(int milliseconds)
{
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void WindowHost::closeMainWindow()
{
    m_closeWindow();
}
