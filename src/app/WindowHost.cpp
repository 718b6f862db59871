#include "app/WindowHost.h"

#include <QApplication>
#include <QClipboard>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

WindowHost::WindowHost(QWidget &mainWindow, QLabel &statusPanel, std::function<void()> openCommandReference)
    : m_window(mainWindow)
    , m_statusPanel(statusPanel)
    , m_openCommandReference(std::move(openCommandReference))
{
}

void WindowHost::setStatusText(const QString &text)
{
    m_statusPanel.setText(text);
}

void WindowHost::messageBox(const QString &text, const QString &title, MessageIcon icon, MessageButtons buttons)
{
    QMessageBox box(icon == MessageIcon::Information ? QMessageBox::Information : QMessageBox::NoIcon, title, text,
                    QMessageBox::Ok, &m_window);
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
    m_window.close();
}
