#pragma once

#include "engine/BrowserWindow.h"
#include "browser/chromium/FrameTracker.h"
#include "browser/chromium/PageRecording.h"
#include "browser/chromium/PageSession.h"

#include <QJsonObject>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class NestedWait;

// One Chromium page target as a browser window. Its protocol events come in through
// handleEvent() as they arrive; what they mean for the event sink is delivered later, from the
// event loop, so that a handler may call back into the browser.
class ChromiumWindow : public QObject, public BrowserWindow, public std::enable_shared_from_this<ChromiumWindow> {
    Q_OBJECT

public:
    static constexpr auto kName = "Chromium";
    // Navigate, GoBack and a click that follows a link or submits a form return once the
    // navigation has started and navigationStarted has been delivered, or after this long.
    static constexpr int kNavigationStartTimeoutMs = 5000;
    // A new page settles its first, empty document before it is used, or for this long.
    static constexpr int kNewPageSettleTimeoutMs = 2000;
    // The pages Chromium keeps in a window's history.
    static constexpr int kHistoryBound = 50;

    explicit ChromiumWindow(std::shared_ptr<PageSession> session);
    ~ChromiumWindow() override;

    // Enables the page's events. A target that waits for the debugger keeps waiting until
    // resume(); one already running is asked for the frames and the load it shows.
    void start(bool waitingForDebugger);
    void resume();
    // An event of the page's own session or of one of its frames' sessions.
    void handleEvent(const QString &sessionId, const QString &method, const QJsonObject &params);
    [[nodiscard]] bool ownsSession(const QString &sessionId) const;
    // The target is gone: every operation throws ScriptError(RemoteUnavailable) from now on.
    void markClosed();
    // Reports what a person does in this page to the queue; null ends the reporting and takes
    // the recording script out of the page.
    void setPersonActions(const std::shared_ptr<PersonActionQueue> &actions);
    // Asks the event sink for the window that takes a page this one opens; null without a sink.
    [[nodiscard]] std::shared_ptr<BrowserWindow> requestNewWindow();

    // A navigation has started and its document has not come yet (its request may still be on
    // its way).
    [[nodiscard]] bool awaitsDocument() const { return !isClosed() && m_frames.awaitsDocument(); }

    [[nodiscard]] const QString &targetId() const;
    [[nodiscard]] const QString &sessionId() const;
    [[nodiscard]] bool isClosed() const;
    // The address the page last asked a new window to show.
    [[nodiscard]] const QString &lastWindowOpenUrl() const { return m_lastWindowOpenUrl; }

    void navigate(const QString &url) override;
    void goBack() override;
    void stop() override;
    void quit() override;

    std::shared_ptr<Document> document() override;
    QString locationUrl() const override;
    int httpStatus() const override;
    QString loadError() const override;
    bool isBusy() const override;
    QString name() const override;

    void setStatusText(const QString &text) override;
    void setToolBar(bool visible) override;
    void setStatusBar(bool visible) override;
    void clearSelection() override;

    void setEventSink(BrowserEvents *sink) override;

    // The page's markup as the browser holds it now, its doctype first.
    [[nodiscard]] QString pageHtml() const;
    // The page as the browser draws it, as PNG; the page is brought to the front for it.
    [[nodiscard]] QByteArray screenshotPng() const;

    [[nodiscard]] const QString &statusText() const { return m_statusText; }
    [[nodiscard]] bool toolBar() const { return m_toolBar; }
    [[nodiscard]] bool statusBar() const { return m_statusBar; }

private:
    void ensureUsable() const;
    // The value of a script expression in the page's main frame.
    [[nodiscard]] QJsonValue evaluate(const QString &expression) const;
    // What the browser's error page shown for the main frame names: "ERR_CONNECTION_REFUSED", or
    // "HTTP ERROR 404" for an answer with an error status and no page; empty on any other page.
    [[nodiscard]] QString errorPageCode() const;
    void finishReadyWaits() const;
    [[nodiscard]] bool isLastPage() const;
    void followFrameTarget(const QJsonObject &params);
    void startNavigation(const QString &method, const QJsonObject &params, OwnNavigation own);
    void waitForNavigationStart();
    void reportRefusedNavigation();
    void onStartDelivered(int start);
    void endNavigationStartWaits();
    void onStartReply();
    void deliver(const std::vector<PageNotification> &notifications, int startsBefore);
    void deliverDocumentChange();

    std::shared_ptr<PageSession> m_session;
    std::vector<PageSession> m_frameSessions; // frames shown by other processes
    std::unique_ptr<PageRecording> m_recording; // while a person's actions are recorded
    FrameTracker m_frames;
    BrowserEvents *m_sink = nullptr;
    int m_startRepliesPending = 0;
    mutable bool m_newPageSettling = false; // its empty first document is still on its way
    mutable std::vector<NestedWait *> m_readyWaits;
    int m_starts = 0; // navigation starts seen (each a navigationStarted)
    std::optional<int> m_requestedAfter; // a navigation was asked for after that many starts
    std::vector<NestedWait *> m_navigationStartWaits;
    QString m_lastWindowOpenUrl;
    QString m_navigationError; // what Chromium answered the last navigation asked of it with, if it failed
    QString m_statusText;
    // The page calls this binding when its document changes while a line waits for an element:
    // a name of this window's own, which the page's scripts do not know.
    const QString m_changeBinding;
    bool m_toolBar = true;
    bool m_statusBar = true;
};
