#pragma once

#include <QString>

enum class MessageIcon { None, Information, Error };
enum class MessageButtons { Ok, OkHelp };

// What the engine needs of the program that hosts it: the main window or the terminal.
class Host {
public:
    virtual ~Host() = default;

    // Status bar panel 1.
    virtual void setStatusText(const QString &text) = 0;
    // A modal message; returns when the user has answered it.
    virtual void messageBox(const QString &text, const QString &title,
                            MessageIcon icon = MessageIcon::None,
                            MessageButtons buttons = MessageButtons::Ok) = 0;
    // Asks for one value; the empty text when the user cancels.
    virtual QString inputBox(const QString &prompt, const QString &title,
                             const QString &defaultText = {}) = 0;
    [[nodiscard]] virtual QString clipboardText() = 0;
    virtual void beep() = 0;
    // Blocks the UI thread, and every event, for the given time.
    virtual void sleep(int milliseconds) = 0;
    virtual void closeMainWindow() = 0;
};

// Sleeps only for a positive count, as the browser search does.
inline void sleepFor(Host &host, qint32 milliseconds)
{
    if (milliseconds > 0)
        host.sleep(milliseconds);
}
