#pragma once

#include "engine/Host.h"

#include <QString>

#include <cstdio>
#include <functional>
#include <optional>

// The Host of navrelay-run: message boxes go to standard error as "TITLE: TEXT", after the line
// when they report the failure that halts the run, and are answered OK; the "$$$" prompt is
// answered from --var (or --var-env, --var-file), from the terminal, or with nothing. The
// answer is never printed.
class TerminalHost : public Host {
public:
    TerminalHost(std::optional<QString> variable, bool verbose, bool canAskTerminal);

    void setStatusText(const QString &text) override;
    void messageBox(const QString &text, const QString &title, MessageIcon icon,
                    MessageButtons buttons) override;
    QString inputBox(const QString &prompt, const QString &title, const QString &defaultText) override;
    QString clipboardText() override { return {}; }
    void beep() override;
    void sleep(int milliseconds) override;
    void closeMainWindow() override;

    // Called when the engine asks to close the program.
    void setOnClose(std::function<void()> onClose) { m_onClose = std::move(onClose); }
    // Names the line whose failure halts the run (`line 3 "fill;q"`), or gives the empty text.
    void setLineLabel(std::function<QString()> lineLabel) { m_lineLabel = std::move(lineLabel); }
    [[nodiscard]] int messagesShown() const { return m_messagesShown; }

private:
    void printLine(const QString &text) const;

    std::optional<QString> m_variable;
    QString m_answer; // the text of "$$$", kept out of what is printed
    bool m_verbose;
    bool m_canAskTerminal;
    int m_messagesShown = 0;
    std::function<void()> m_onClose;
    std::function<QString()> m_lineLabel;
};
