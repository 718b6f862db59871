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
    virtual void navigationStarted(const QString &url) = 0;
    // A frame or the top-level document has been loaded and its document model built.
    virtual void documentCompleted(const QString &url) = 0;
    // The page asks for a new window: the returned window takes the page; null lets the browser
    // open a window of its own.
    virtual std::shared_ptr<BrowserWindow> newWindowRequested() = 0;
    // The shown document changed after its load (its own script at work), as far as the
    // backend tells: none does unless a line waits for an element.
    virtual void documentChanged() {}
};

// One browser window. Once the window has been closed (by Quit, the user or a dropped
// connection) every operation throws ScriptError(RemoteUnavailable).
class BrowserWindow {
public:
    virtual ~BrowserWindow() = default;

    // Starts loading the address in this window; asynchronous: navigationStarted as the load
    // starts, documentCompleted once the document is built.
    virtual void navigate(const QString &url) = 0;
    virtual void goBack() = 0;
    virtual void stop() = 0;
    virtual void quit() = 0;

    // The top-level document while one is shown, else null.
    [[nodiscard]] virtual std::shared_ptr<Document> document() = 0;
    [[nodiscard]] virtual QString locationUrl() const = 0;
    // The HTTP status the shown page came with; 0 when it did not come over HTTP.
    [[nodiscard]] virtual int httpStatus() const = 0;
    // Why the window's last load brought no page of the server's (refused, unknown host, no
    // answer in time, ...), when the window shows its error page instead; empty when the load
    // brought a page, whatever its status, or was never made.
    [[nodiscard]] virtual QString loadError() const = 0;
    [[nodiscard]] virtual bool isBusy() const = 0;
    [[nodiscard]] virtual QString name() const = 0;

    virtual void setStatusText(const QString &text) = 0;
    virtual void setToolBar(bool visible) = 0;
    virtual void setStatusBar(bool visible) = 0;
    // Leaves nothing selected in the page, as the zoom tools ask before they change sizes.
    virtual void clearSelection() = 0;

    // Connects the window's events to a receiver; null disconnects them.
    virtual void setEventSink(BrowserEvents *sink) = 0;
};
