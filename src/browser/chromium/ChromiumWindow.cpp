#include "browser/chromium/ChromiumWindow.h"

#include <QTimer>

#include "browser/chromium/ChromiumErrors.h"
#include "browser/chromium/NestedWait.h"
#include "browser/chromium/PageScripts.h"
#include "browser/chromium/PageSession.h"
#include "browser/chromium/RemoteCall.h"
#include "browser/chromium/RemoteDocument.h"
#include "engine/ScriptError.h"

#include <QJsonArray>
#include <QRandomGenerator>
#include <QUrl>

#include <algorithm>

namespace {

// A frame of another site runs in a process of its own, as a target of its own: its loads are
// followed there, from before its first request.
QJsonObject frameTargetsAutoAttach()
{
    const QJsonArray framesOnly{QJsonObject{{QStringLiteral("type"), QStringLiteral("iframe")}, {QStringLiteral("exclude"), false}},
                                QJsonObject{{QStringLiteral("exclude"), true}}};
    return {{QStringLiteral("autoAttach"), true},
            {QStringLiteral("waitForDebuggerOnStart"), true},
            {QStringLiteral("flatten"), true},
            {QStringLiteral("filter"), framesOnly}};
}

} // namespace

ChromiumWindow::ChromiumWindow(std::shared_ptr<PageSession> session)
    : m_session(std::move(session))
    , m_frames(m_session->targetId())
    , m_changeBinding(QStringLiteral("navrelayChanged") + QString::number(QRandomGenerator::system()->generate64(), 36))
{
}

ChromiumWindow::~ChromiumWindow() = default;

const QString &ChromiumWindow::targetId() const
{
    return m_session->targetId();
}

const QString &ChromiumWindow::sessionId() const
{
    return m_session->sessionId();
}

bool ChromiumWindow::isClosed() const
{
    return m_session->isClosed();
}

void ChromiumWindow::start(bool waitingForDebugger)
{
    m_session->setAfterClick([weak = weak_from_this()](bool navigationRefused) {
        if (const auto self = weak.lock())
            navigationRefused ? self->reportRefusedNavigation() : self->waitForNavigationStart();
    });
    m_session->post(QStringLiteral("Page.enable"));
    m_session->post(QStringLiteral("Page.setLifecycleEventsEnabled"), {{QStringLiteral("enabled"), true}});
    m_session->post(QStringLiteral("Runtime.enable"));
    m_session->post(QStringLiteral("Runtime.addBinding"), {{QStringLiteral("name"), m_changeBinding}});
    m_session->post(QStringLiteral("Target.setAutoAttach"), frameTargetsAutoAttach());
    if (waitingForDebugger) {
        // A new page: it answers nothing until it runs, and the end of its empty first
        // document's load, coming late, would otherwise pass for the end of the first navigation.
        m_newPageSettling = true;
        return;
    }
    // A page that was already open: what it shows, and whether it is still loading.
    const std::weak_ptr<ChromiumWindow> weak = weak_from_this();
    m_startRepliesPending = 2;
    m_session->post(QStringLiteral("Page.getFrameTree"), {}, [weak](const DevToolsReply &reply) {
        if (const auto self = weak.lock()) {
            self->m_frames.seedFrameTree(reply.result.value(QStringLiteral("frameTree")).toObject());
            self->onStartReply();
        }
    });
    m_session->post(QStringLiteral("Runtime.evaluate"),
                    {{QStringLiteral("expression"), QLatin1String(PageScripts::kReadyState)},
                     {QStringLiteral("returnByValue"), true}},
                    [weak](const DevToolsReply &reply) {
                        if (const auto self = weak.lock()) {
                            const QString state = reply.result.value(QStringLiteral("result")).toObject().value(QStringLiteral("value")).toString();
                            if (!state.isEmpty() && state != QLatin1String("complete") && !self->m_frames.isLoading())
                                self->m_frames.assumeMainFrameLoading();
                            self->onStartReply();
                        }
                    });
}

void ChromiumWindow::onStartReply()
{
    if (--m_startRepliesPending == 0)
        finishReadyWaits();
}

void ChromiumWindow::finishReadyWaits() const
{
    for (NestedWait *wait : m_readyWaits)
        wait->finish();
}

void ChromiumWindow::resume()
{
    m_session->post(QStringLiteral("Runtime.runIfWaitingForDebugger"));
}

bool ChromiumWindow::ownsSession(const QString &sessionId) const
{
    if (m_session->sessionId() == sessionId)
        return true;
    return std::any_of(m_frameSessions.begin(), m_frameSessions.end(),
                       [&sessionId](const PageSession &frame) { return frame.sessionId() == sessionId; });
}

void ChromiumWindow::followFrameTarget(const QJsonObject &params)
{
    const QJsonObject info = params.value(QStringLiteral("targetInfo")).toObject();
    const PageSession &frame = m_frameSessions.emplace_back(m_session->innerSession(
        info.value(QStringLiteral("targetId")).toString(), params.value(QStringLiteral("sessionId")).toString()));
    frame.post(QStringLiteral("Page.enable"));
    frame.post(QStringLiteral("Page.setLifecycleEventsEnabled"), {{QStringLiteral("enabled"), true}});
    frame.post(QStringLiteral("Target.setAutoAttach"), frameTargetsAutoAttach());
    frame.post(QStringLiteral("Runtime.runIfWaitingForDebugger"));
}

void ChromiumWindow::handleEvent(const QString &sessionId, const QString &method, const QJsonObject &params)
{
    if (method == QLatin1String("Page.javascriptDialogOpening")) {
        // A dialog would hold the page, and every call to it, until someone answers.
        m_session->innerSession(targetId(), sessionId)
            .post(QStringLiteral("Page.handleJavaScriptDialog"),
                  {{QStringLiteral("accept"), true},
                   {QStringLiteral("promptText"), params.value(QStringLiteral("defaultPrompt")).toString()}});
        return;
    }
    if (method == QLatin1String("Runtime.bindingCalled")
        && params.value(QStringLiteral("name")).toString() == m_changeBinding) {
        if (sessionId == m_session->sessionId())
            deliverDocumentChange();
        return;
    }
    if (m_recording && sessionId == m_session->sessionId()) {
        m_recording->handleEvent(method, params);
        if (method == QLatin1String("Runtime.bindingCalled"))
            return;
    }
    if (method == QLatin1String("Target.attachedToTarget")) {
        followFrameTarget(params);
        return;
    }
    if (method == QLatin1String("Target.detachedFromTarget")) {
        const QString detached = params.value(QStringLiteral("sessionId")).toString();
        std::erase_if(m_frameSessions, [&detached](const PageSession &frame) { return frame.sessionId() == detached; });
        return;
    }
    if (method == QLatin1String("Page.windowOpen")) {
        m_lastWindowOpenUrl = params.value(QStringLiteral("url")).toString();
        return;
    }
    if (method == QLatin1String("Page.frameRequestedNavigation") && !m_requestedAfter
        && params.value(QStringLiteral("disposition")).toString() == QLatin1String("currentTab"))
        m_requestedAfter = m_starts;
    const std::weak_ptr<ChromiumWindow> weak = weak_from_this();
    const auto notifications = m_frames.apply(method, params);
    if (m_newPageSettling && m_frames.mainFrameContext()) {
        m_newPageSettling = false; // its document has a script context: its load is over
        finishReadyWaits();
    }
    if (notifications.empty())
        return;
    const auto startsBefore = m_starts;
    m_starts += int(std::count_if(notifications.begin(), notifications.end(), [](const PageNotification &notification) {
        return notification.kind == PageNotification::Kind::NavigationStarted;
    }));
    // One delivery for all that one event means: nothing runs between a frame's completion and
    // its page's.
    QMetaObject::invokeMethod(
        this,
        [weak, notifications, startsBefore] {
            if (const auto self = weak.lock())
                self->deliver(notifications, startsBefore);
        },
        Qt::QueuedConnection);
}

void ChromiumWindow::waitForNavigationStart()
{
    if (!m_requestedAfter || isClosed())
        return;
    NestedWait wait(kNavigationStartTimeoutMs);
    m_navigationStartWaits.push_back(&wait);
    (void)wait.wait(); // a navigation that does not start in time goes on, or not, without us
    std::erase(m_navigationStartWaits, &wait);
}

void ChromiumWindow::reportRefusedNavigation()
{
    // As an empty answer would: the page stays, and whoever waits for a page is told at once.
    const std::vector<PageNotification> notifications{{PageNotification::Kind::NavigationStarted, locationUrl()},
                                                      {PageNotification::Kind::DocumentCompleted, locationUrl()}};
    const auto startsBefore = m_starts++;
    QMetaObject::invokeMethod(
        this,
        [weak = weak_from_this(), notifications, startsBefore] {
            if (const auto self = weak.lock())
                self->deliver(notifications, startsBefore);
        },
        Qt::QueuedConnection);
}

void ChromiumWindow::onStartDelivered(int start)
{
    if (m_requestedAfter && start > *m_requestedAfter)
        endNavigationStartWaits();
}

void ChromiumWindow::endNavigationStartWaits()
{
    m_requestedAfter.reset();
    for (NestedWait *wait : m_navigationStartWaits)
        wait->finish();
}

void ChromiumWindow::deliver(const std::vector<PageNotification> &notifications, int startsBefore)
{
    int start = startsBefore;
    for (const PageNotification &notification : notifications) {
        const bool isStart = notification.kind == PageNotification::Kind::NavigationStarted;
        if (m_sink && !isClosed()) {
            try {
                if (isStart)
                    m_sink->navigationStarted(notification.url);
                else
                    m_sink->documentCompleted(notification.url);
            } catch (const std::exception &) {
                // The handler's failure stays with it: it is called from the event loop.
            }
        }
        if (isStart)
            onStartDelivered(++start); // whoever waits for the start sees navigationStarted first
    }
}

void ChromiumWindow::deliverDocumentChange()
{
    QMetaObject::invokeMethod(
        this,
        [weak = weak_from_this()] {
            const auto self = weak.lock();
            if (!self || !self->m_sink || self->isClosed())
                return;
            try {
                self->m_sink->documentChanged();
            } catch (const std::exception &) {
                // The handler's failure stays with it: it is called from the event loop.
            }
        },
        Qt::QueuedConnection);
}

std::shared_ptr<BrowserWindow> ChromiumWindow::requestNewWindow()
{
    if (!m_sink || isClosed())
        return nullptr;
    try {
        return m_sink->newWindowRequested();
    } catch (const std::exception &) {
        return nullptr;
    }
}

void ChromiumWindow::setPersonActions(const std::shared_ptr<PersonActionQueue> &actions)
{
    m_recording.reset();
    if (actions && !isClosed())
        m_recording = std::make_unique<PageRecording>(m_session, actions);
}

void ChromiumWindow::markClosed()
{
    m_session->markClosed();
    m_recording.reset(); // a window the browser no longer lists is not told when the recording ends
    finishReadyWaits();
    endNavigationStartWaits();
}

void ChromiumWindow::ensureUsable() const
{
    if (isClosed())
        throw ScriptError(RemoteUnavailable);
    if (m_startRepliesPending > 0 || m_newPageSettling) {
        NestedWait wait(m_startRepliesPending > 0 ? DevToolsConnection::kCallTimeoutMs : kNewPageSettleTimeoutMs);
        m_readyWaits.push_back(&wait);
        const bool ready = wait.wait();
        std::erase(m_readyWaits, &wait);
        if (!ready && m_startRepliesPending > 0)
            throw ScriptError(RemoteUnavailable);
        m_newPageSettling = false; // settled, or as settled as it gets
    }
    if (isClosed())
        throw ScriptError(RemoteUnavailable);
}

void ChromiumWindow::navigate(const QString &url)
{
    ensureUsable();
    // An address without a scheme is taken as a browser's address bar takes it. One with its
    // scheme goes to Chromium as written: QUrl would decode its escapes of unreserved characters.
    const QString text = url.trimmed();
    const QUrl address = QUrl::fromUserInput(text);
    const bool written = !address.isValid() || text.startsWith(address.scheme() + u':', Qt::CaseInsensitive);
    // The answer waits for the server's: the wait is for the start of the load only.
    startNavigation(QStringLiteral("Page.navigate"),
                    {{QStringLiteral("url"), written ? text : address.toString(QUrl::FullyEncoded)}},
                    OwnNavigation::Address);
}

void ChromiumWindow::startNavigation(const QString &method, const QJsonObject &params, OwnNavigation own)
{
    m_requestedAfter = m_starts;
    m_navigationError.clear();
    if (m_recording)
        m_recording->ownNavigationRequested(own);
    m_session->post(method, params, [weak = weak_from_this(), own](const DevToolsReply &reply) {
        const auto self = weak.lock();
        if (!self)
            return;
        // A navigation that failed with an error text still shows the error page.
        if (self->m_recording && (reply.error || reply.connectionLost))
            self->m_recording->ownNavigationRefused(own);
        if (reply.result.contains(QStringLiteral("errorText")))
            self->m_navigationError = reply.result.value(QStringLiteral("errorText")).toString();
        if (reply.error || reply.connectionLost || reply.result.contains(QStringLiteral("errorText")))
            self->endNavigationStartWaits(); // refused: nothing is going to start
    });
    waitForNavigationStart();
    // A browser that went away before it could start the navigation: the call failed.
    if (isClosed())
        throw ScriptError(RemoteUnavailable);
}

void ChromiumWindow::goBack()
{
    ensureUsable();
    const QJsonObject history = m_session->call(QStringLiteral("Page.getNavigationHistory"));
    const int current = history.value(QStringLiteral("currentIndex")).toInt();
    const QJsonArray entries = history.value(QStringLiteral("entries")).toArray();
    // Chromium keeps the last kHistoryBound pages: a back from the first of a full history goes
    // to a page it has dropped, and does nothing, as past the built-in engine's bound.
    if (current == 0 && entries.size() >= kHistoryBound)
        return;
    if (current <= 0 || current > entries.size())
        throw ScriptError(kUnspecifiedError, QStringLiteral("Unspecified error"));
    const int entryId = entries.at(current - 1).toObject().value(QStringLiteral("id")).toInt();
    startNavigation(QStringLiteral("Page.navigateToHistoryEntry"), {{QStringLiteral("entryId"), entryId}}, OwnNavigation::Back);
}

void ChromiumWindow::stop()
{
    ensureUsable();
    m_session->call(QStringLiteral("Page.stopLoading"));
}

void ChromiumWindow::quit()
{
    if (isClosed())
        throw ScriptError(RemoteUnavailable);
    // Chromium ends its session (and forgets its session cookies) with its last page: an
    // empty page stays in its place, where the next attach finds it.
    if (isLastPage())
        (void)m_session->callBrowser(QStringLiteral("Target.createTarget"), {{QStringLiteral("url"), QStringLiteral("about:blank")}});
    m_session->callBrowser(QStringLiteral("Target.closeTarget"), {{QStringLiteral("targetId"), targetId()}});
    markClosed();
}

bool ChromiumWindow::isLastPage() const
{
    const QJsonArray targets = m_session->callBrowser(QStringLiteral("Target.getTargets"), {})
                                   .value(QStringLiteral("targetInfos")).toArray();
    return std::none_of(targets.begin(), targets.end(), [this](const QJsonValue &target) {
        const QJsonObject info = target.toObject();
        return info.value(QStringLiteral("type")).toString() == QLatin1String("page")
            && info.value(QStringLiteral("targetId")).toString() != targetId();
    });
}

std::shared_ptr<Document> ChromiumWindow::document()
{
    ensureUsable();
    auto context = m_frames.mainFrameContext();
    if (!context) {
        // A page's first document gets its script context on first use; the event announcing
        // it comes before the answer.
        (void)m_session->call(QStringLiteral("Runtime.evaluate"), {{QStringLiteral("expression"), QStringLiteral("0")}});
        context = m_frames.mainFrameContext();
    }
    if (!context)
        return nullptr; // between two documents
    return std::make_shared<RemoteDocument>(m_session, *context, documentKindOf(m_frames.mainFrameMimeType()), m_changeBinding);
}

QString ChromiumWindow::locationUrl() const
{
    ensureUsable();
    return m_frames.mainFrameUrl();
}

int ChromiumWindow::httpStatus() const
{
    ensureUsable();
    // An error status with no page of its own is shown on the browser's error page.
    if (m_frames.mainFrameShowsErrorPage())
        return errorPageCode().section(QLatin1Char(' '), 2).toInt();
    return evaluate(QStringLiteral("performance.getEntriesByType('navigation')[0]?.responseStatus ?? 0")).toInt();
}

QString ChromiumWindow::errorPageCode() const
{
    return m_frames.mainFrameShowsErrorPage() ? evaluate(QString::fromLatin1(PageScripts::kNetErrorCode)).toString() : QString();
}

QString ChromiumWindow::loadError() const
{
    ensureUsable();
    if (!m_frames.mainFrameShowsErrorPage())
        return {};
    const QString code = errorPageCode();
    if (code.startsWith(QLatin1String("HTTP ")))
        return {}; // the server answered: its status tells the rest
    if (!m_navigationError.isEmpty())
        return m_navigationError;
    // A navigation the page started: its error page names the error, as the protocol would
    // without the "net::" in front.
    if (code.startsWith(QLatin1String("ERR_")))
        return QStringLiteral("net::") + code;
    return code.isEmpty() ? QStringLiteral("the page could not be loaded") : code;
}

QString ChromiumWindow::pageHtml() const
{
    return evaluate(QStringLiteral("(document.doctype ? new XMLSerializer().serializeToString(document.doctype) + '\\n' : '')"
                                   " + (document.documentElement ? document.documentElement.outerHTML : '')"))
        .toString();
}

QByteArray ChromiumWindow::screenshotPng() const
{
    ensureUsable();
    // A page in the background may never answer for its picture.
    m_session->call(QStringLiteral("Page.bringToFront"));
    const QJsonObject shot = m_session->call(QStringLiteral("Page.captureScreenshot"), {{QStringLiteral("format"), QStringLiteral("png")}});
    return QByteArray::fromBase64(shot.value(QStringLiteral("data")).toString().toLatin1());
}

QJsonValue ChromiumWindow::evaluate(const QString &expression) const
{
    ensureUsable();
    const QJsonObject reply = m_session->call(QStringLiteral("Runtime.evaluate"),
                                              {{QStringLiteral("expression"), expression}, {QStringLiteral("returnByValue"), true}});
    return reply.value(QStringLiteral("result")).toObject().value(QStringLiteral("value"));
}

bool ChromiumWindow::isBusy() const
{
    ensureUsable();
    return m_frames.isLoading();
}

QString ChromiumWindow::name() const
{
    if (isClosed())
        throw ScriptError(RemoteUnavailable);
    return QString::fromLatin1(kName);
}

// Chromium lets no one write its status bar or hide its toolbars: the values are kept, and
// nothing on the screen changes.
void ChromiumWindow::setStatusText(const QString &text)
{
    if (isClosed())
        throw ScriptError(RemoteUnavailable);
    m_statusText = text;
}

void ChromiumWindow::setToolBar(bool visible)
{
    if (isClosed())
        throw ScriptError(RemoteUnavailable);
    m_toolBar = visible;
}

void ChromiumWindow::setStatusBar(bool visible)
{
    if (isClosed())
        throw ScriptError(RemoteUnavailable);
    m_statusBar = visible;
}

void ChromiumWindow::clearSelection()
{
    ensureUsable();
    const auto context = m_frames.mainFrameContext();
    if (!context)
        return;
    RemoteTarget target;
    target.contextId = *context;
    (void)callRemoteFunction(*m_session, target, PageScripts::kClearSelection);
}

void ChromiumWindow::setEventSink(BrowserEvents *sink)
{
    if (sink && isClosed())
        throw ScriptError(RemoteUnavailable);
    m_sink = sink;
}
