#include "cli/TerminalHost.h"

#include "engine/SecretMask.h"

#include <QThread>

#include <iostream>
#include <string>

TerminalHost::TerminalHost(std::optional<QString> variable, bool verbose, bool canAskTerminal)
    : m_variable(std::move(variable))
    , m_verbose(verbose)
    , m_canAskTerminal(canAskTerminal)
{
}

void TerminalHost::printLine(const QString &text) const
{
    std::fputs(SecretMask(m_answer).apply(text).toLocal8Bit().constData(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

void TerminalHost::setStatusText(const QString &text)
{
    if (m_verbose)
        printLine(QStringLiteral("status: ") + text);
}

void TerminalHost::messageBox(const QString &text, const QString &title, MessageIcon, MessageButtons)
{
    ++m_messagesShown;
    const QString label = m_lineLabel ? m_lineLabel() : QString();
    const QString message = title + QStringLiteral(": ") + text;
    printLine(label.isEmpty() ? message : QStringLiteral("navrelay-run: %1: %2").arg(label, message));
}

QString TerminalHost::inputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    if (m_variable) {
        m_answer = *m_variable;
        return m_answer;
    }
    if (!m_canAskTerminal)
        return {};
    std::fputs(QStringLiteral("%1: %2 ").arg(title, prompt).toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer))
        return {};
    const QString typed = QString::fromLocal8Bit(answer);
    m_answer = typed.isEmpty() ? defaultText : typed;
    return m_answer;
}

void TerminalHost::beep()
{
    std::fputc('\a', stderr);
    if (m_verbose)
        std::fputs("beep\n", stderr);
    std::fflush(stderr);
}

void TerminalHost::sleep(int milliseconds)
{
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void TerminalHost::closeMainWindow()
{
    if (m_onClose)
        m_onClose();
}
