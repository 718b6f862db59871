#pragma once

#include <QString>

#include <memory>

class Document;
class BrowserWindow;

// The events of the attached browser window, delivered on the UI thread.
class BrowserEvents {
public:
    virtual ~BrowserEvents() = default;

    // A navigation of the window or one of its frames starts.
    virtual void IE_BeforeNavigate2(const QString &url) = 0;
    // A frame or the top-level document has been loaded and its document model built.
    virtual void IE_DocumentComplete(const QString &url) = 0;
    // The page asks for a new window: the returned window takes the page; null lets the browser
    // open a window of its own.
    virtual std::shared_ptr<BrowserWindow> IE_NewWindow2() = 0;
};

// Identifiers of ExecWB, as the zoom tools pass them.
enum ExecWBCommand : int { OLECMDID_CLEARSELECTION = 18 };
enum ExecWBOption : int { OLECMDEXECOPT_DONTPROMPTUSER = 2 };

// One browser window. Once the window has been closed (by Quit, the user or a dropped
// connection) every operation throws ScriptError(RemoteUnavailable).
class BrowserWindow {
public:
    virtual ~BrowserWindow() = default;

    // Starts loading the address in this window; asynchronous: BeforeNavigate2 as the load
    // starts, DocumentComplete once the document is built.
    virtual void Navigate(const QString &url) = 0;
    virtual void GoBack() = 0;
    virtual void Stop() = 0;
    virtual void Quit() = 0;

    // The top-level document while one is shown, else null.
    [[nodiscard]] virtual std::shared_ptr<Document> document() = 0;
    [[nodiscard]] virtual QString LocationURL() const = 0;
    [[nodiscard]] virtual bool Busy() const = 0;
    [[nodiscard]] virtual QString Name() const = 0;

    virtual void setStatusText(const QString &text) = 0;
    virtual void setToolBar(bool visible) = 0;
    virtual void setStatusBar(bool visible) = 0;
    virtual void ExecWB(int command, int option) = 0;

    // Connects the window's events to a receiver; null disconnects them.
    virtual void setEventSink(BrowserEvents *sink) = 0;
};
