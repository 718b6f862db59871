#pragma once

#include "engine/Host.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// A Host that records what the engine shows and answers its questions from the test.
class RecordingHost : public Host {
public:
    struct Message {
        QString text;
        QString title;
        MessageIcon icon;
        MessageButtons buttons;
    };

    void setStatusText(const QString &text) override { statusTexts.append(text); }
    void messageBox(const QString &text, const QString &title, MessageIcon icon,
                    MessageButtons buttons) override
    {
        messages.push_back({text, title, icon, buttons});
        if (duringMessageBox)
            duringMessageBox();
    }
    QString inputBox(const QString &prompt, const QString &title, const QString &defaultText) override
    {
        prompts.append(prompt + QLatin1Char('|') + title + QLatin1Char('|') + defaultText);
        if (duringInputBox)
            duringInputBox();
        return inputAnswer;
    }
    QString clipboardText() override { return clipboard; }
    void beep() override { ++beeps; }
    void sleep(int milliseconds) override { sleeps.push_back(milliseconds); }
    void closeMainWindow() override { ++closeRequests; }

    [[nodiscard]] QString lastStatus() const { return statusTexts.isEmpty() ? QString() : statusTexts.last(); }

    QStringList statusTexts;
    std::vector<Message> messages;
    QStringList prompts;
    QString inputAnswer;
    QString clipboard;
    int beeps = 0;
    std::vector<int> sleeps;
    int closeRequests = 0;
    std::function<void()> duringMessageBox; // runs while a message box "is open"
    std::function<void()> duringInputBox;
};
