#include "browser/chromium/ChromiumBrowser.h"

#include "browser/chromium/ChromiumLauncher.h"
#include "browser/chromium/ChromiumWindow.h"
#include "browser/chromium/DevToolsConnection.h"
#include "browser/chromium/DevToolsTransport.h"
#include "browser/chromium/LaunchedChromium.h"
#include "browser/chromium/NestedWait.h"
#include "browser/chromium/PageSession.h"
#include "browser/chromium/PersonActionQueue.h"
#include "browser/chromium/ProtocolJson.h"
#include "engine/ScriptError.h"

#include <QDeadlineTimer>
#include <QJsonArray>

#include <algorithm>
#include <functional>
#include <utility>

namespace {

constexpr int kSettlePollMs = 20;

// Attach to pages only: not to the browser's own user interface, workers or extensions.
QJsonArray pageTargetsOnly()
{
    return {QJsonObject{{QStringLiteral("type"), QStringLiteral("page")}, {QStringLiteral("exclude"), false}},
            QJsonObject{{QStringLiteral("exclude"), true}}};
}

} // namespace

ChromiumBrowser::ChromiumBrowser(ChromiumSettings settings)
    : m_settings(std::move(settings))
{
    if (m_settings.address)
        m_endpoint = std::make_unique<DevToolsEndpoint>(*m_settings.address);
    if (m_settings.profileFolder.isEmpty())
        m_settings.profileFolder = defaultChromiumProfileFolder();
}

ChromiumBrowser::~ChromiumBrowser()
{
    settleNavigations();
    for (const auto &window : m_windows)
        window->markClosed();
    if (m_connection) {
        m_connection->setEventHandler({});
        m_connection->disconnect(this);
    }
    if (m_launched)
        closeStartedBrowser();
}

void ChromiumBrowser::closeStartedBrowser()
{
    if (m_connection && m_connection->isOpen()) {
        // Its last messages are read while it closes: it must never wait on a full pipe.
        NestedWait closing(LaunchedChromium::kCloseTimeoutMs);
        const auto gone = connect(m_connection.get(), &DevToolsConnection::disconnected, [&closing] { closing.finish(); });
        m_connection->post(QStringLiteral("Browser.close"));
        (void)closing.wait();
        disconnect(gone);
    }
    m_launched.reset(); // kills it if it has not gone
}

QString ChromiumBrowser::browserName() const
{
    return QString::fromLatin1(ChromiumWindow::kName);
}

QString ChromiumBrowser::programName() const
{
    return QStringLiteral("Chromium");
}

void ChromiumBrowser::settleNavigations()
{
    const auto pending = [this] {
        return std::any_of(m_windows.begin(), m_windows.end(), [](const auto &window) { return window->awaitsDocument(); });
    };
    const QDeadlineTimer deadline(kSettleTimeoutMs);
    while (pending() && !deadline.hasExpired()) {
        NestedWait pause(kSettlePollMs);
        (void)pause.wait();
    }
}

bool ChromiumBrowser::endpointAnswers()
{
    return ensureConnected();
}

QString ChromiumBrowser::version()
{
    if (!ensureConnected())
        return {};
    try {
        return callBrowser(QStringLiteral("Browser.getVersion"), {}).value(QStringLiteral("product")).toString();
    } catch (const ScriptError &) {
        return {};
    }
}

bool ChromiumBrowser::ensureConnected()
{
    if (m_connection && m_connection->isOpen())
        return true;
    onDisconnected();
    m_connection.reset();
    // The port of a browser is asked only when the user named it; NavRelay's own browser is
    // reached over its pipe, once.
    std::unique_ptr<DevToolsTransport> transport;
    if (m_endpoint)
        transport = m_endpoint->open();
    else if (m_launched)
        transport = m_launched->takeTransport();
    if (!transport)
        return false;
    auto connection = std::make_shared<DevToolsConnection>(std::move(transport));
    connection->setEventHandler([this](const QString &sessionId, const QString &method, const QJsonObject &params) {
        handleEvent(sessionId, method, params);
    });
    DevToolsConnection *raw = connection.get();
    connect(raw, &DevToolsConnection::disconnected, this, [this, raw] {
        if (m_connection.get() == raw)
            onDisconnected();
    });
    m_connection = connection;
    try {
        connection->call(QStringLiteral("Target.setDiscoverTargets"), {{QStringLiteral("discover"), true}});
        // Pages opened from now on wait for us before their first request, so that a popup is
        // seen from its very beginning; pages already open are attached as they are.
        connection->call(QStringLiteral("Target.setAutoAttach"), {{QStringLiteral("autoAttach"), true},
                                                                  {QStringLiteral("waitForDebuggerOnStart"), true},
                                                                  {QStringLiteral("flatten"), true},
                                                                  {QStringLiteral("filter"), pageTargetsOnly()}});
    } catch (const ScriptError &) {
        onDisconnected();
        m_connection.reset();
        return false;
    }
    return true;
}

void ChromiumBrowser::handleEvent(const QString &sessionId, const QString &method, const QJsonObject &params)
{
    if (!sessionId.isEmpty()) {
        if (const auto window = windowForSession(sessionId))
            window->handleEvent(sessionId, method, params);
        return;
    }
    if (method == QLatin1String("Target.attachedToTarget")) {
        onAttached(params);
    } else if (method == QLatin1String("Target.detachedFromTarget")) {
        const QString sessionId = jsonText(params, "sessionId");
        const auto found = std::find_if(m_windows.begin(), m_windows.end(),
                                        [&sessionId](const auto &window) { return window->sessionId() == sessionId; });
        if (found != m_windows.end())
            onTargetGone((*found)->targetId());
    } else if (method == QLatin1String("Target.targetDestroyed") || method == QLatin1String("Target.targetCrashed")) {
        onTargetGone(jsonText(params, "targetId"));
    }
}

void ChromiumBrowser::onAttached(const QJsonObject &params)
{
    const QJsonObject info = params.value(QStringLiteral("targetInfo")).toObject();
    const QString sessionId = jsonText(params, "sessionId");
    const QString targetId = jsonText(info, "targetId");
    const bool waiting = params.value(QStringLiteral("waitingForDebugger")).toBool();
    if (const auto existing = windowForTarget(targetId)) {
        if (existing->sessionId() != sessionId) { // a second session to a page already followed
            if (waiting)
                m_connection->post(QStringLiteral("Runtime.runIfWaitingForDebugger"), {}, sessionId);
            m_connection->post(QStringLiteral("Target.detachFromTarget"), {{QStringLiteral("sessionId"), sessionId}});
        }
        return;
    }
    const auto window = addWindow(targetId, sessionId, waiting);
    if (!waiting)
        return;
    const auto opener = windowForTarget(jsonText(info, "openerId"));
    if (!opener) {
        window->resume();
        return;
    }
    // The opener's event sink may call back into the browser: ask it from the event loop.
    QMetaObject::invokeMethod(
        this, [this, weakOpener = std::weak_ptr<ChromiumWindow>(opener), window] { openPopup(weakOpener, window); },
        Qt::QueuedConnection);
}

void ChromiumBrowser::openPopup(const std::weak_ptr<ChromiumWindow> &opener, const std::shared_ptr<ChromiumWindow> &popup)
{
    const auto openerWindow = opener.lock();
    if (!openerWindow || popup->isClosed()) {
        popup->resume();
        return;
    }
    m_adoptablePopup = popup;
    const std::shared_ptr<BrowserWindow> chosen = openerWindow->requestNewWindow();
    m_adoptablePopup.reset();
    if (!chosen || chosen.get() == static_cast<BrowserWindow *>(popup.get())) {
        popup->resume();
        return;
    }
    // Another window takes the page: the one Chromium opened goes before it asked for anything.
    try {
        popup->quit();
        const QString url = openerWindow->lastWindowOpenUrl();
        if (!url.isEmpty())
            chosen->navigate(url);
    } catch (const ScriptError &) {
    }
}

std::shared_ptr<ChromiumWindow> ChromiumBrowser::addWindow(const QString &targetId, const QString &sessionId,
                                                           bool waitingForDebugger)
{
    auto window = std::make_shared<ChromiumWindow>(std::make_shared<PageSession>(m_connection, targetId, sessionId));
    m_windows.push_back(window);
    window->start(waitingForDebugger);
    window->setPersonActions(m_personActions); // before a new page runs: its first document is watched too
    return window;
}

void ChromiumBrowser::onTargetGone(const QString &targetId)
{
    const auto window = windowForTarget(targetId); // the window may be in use further up the stack
    if (!window)
        return;
    m_windows.erase(std::find(m_windows.begin(), m_windows.end(), window));
    window->markClosed();
}

void ChromiumBrowser::onDisconnected()
{
    auto windows = std::move(m_windows);
    m_windows.clear();
    for (const auto &window : windows)
        window->markClosed();
}

std::shared_ptr<ChromiumWindow> ChromiumBrowser::windowForTarget(const QString &targetId) const
{
    const auto found = std::find_if(m_windows.begin(), m_windows.end(),
                                    [&targetId](const auto &window) { return window->targetId() == targetId; });
    return found == m_windows.end() ? nullptr : *found;
}

std::shared_ptr<ChromiumWindow> ChromiumBrowser::windowForSession(const QString &sessionId) const
{
    for (const auto &window : m_windows) {
        if (window->ownsSession(sessionId))
            return window;
    }
    return nullptr;
}

QJsonObject ChromiumBrowser::callBrowser(const QString &method, const QJsonObject &params)
{
    // A reconnect during the wait replaces m_connection: the one waited on stays alive meanwhile.
    const auto connection = m_connection;
    if (!connection)
        throw ScriptError(RemoteUnavailable);
    return connection->call(method, params);
}

std::shared_ptr<ChromiumWindow> ChromiumBrowser::attachTarget(const QString &targetId)
{
    const QJsonObject attached = callBrowser(QStringLiteral("Target.attachToTarget"),
                                             {{QStringLiteral("targetId"), targetId}, {QStringLiteral("flatten"), true}});
    if (auto window = windowForTarget(targetId))
        return window;
    return addWindow(targetId, jsonText(attached, "sessionId"), false);
}

std::vector<QJsonObject> ChromiumBrowser::pageTargets()
{
    std::vector<QJsonObject> pages;
    const QJsonArray targets = callBrowser(QStringLiteral("Target.getTargets"), {}).value(QStringLiteral("targetInfos")).toArray();
    for (const QJsonValue &target : targets) {
        if (jsonText(target.toObject(), "type") == QLatin1String("page"))
            pages.push_back(target.toObject());
    }
    return pages;
}

std::vector<std::shared_ptr<BrowserWindow>> ChromiumBrowser::windows()
{
    std::vector<std::shared_ptr<BrowserWindow>> windows;
    if (!ensureConnected())
        return windows;
    QStringList listed;
    try {
        for (const QJsonObject &target : pageTargets())
            listed << jsonText(target, "targetId");
    } catch (const ScriptError &) {
        return windows; // the browser went away
    }
    for (const QString &targetId : listed) {
        try {
            if (!windowForTarget(targetId))
                (void)attachTarget(targetId);
        } catch (const ScriptError &) {
            // closed between the listing and the attach
        }
    }
    for (const auto &window : m_windows) {
        if (!window->isClosed() && listed.contains(window->targetId()))
            windows.push_back(window);
    }
    return windows;
}

std::shared_ptr<BrowserWindow> ChromiumBrowser::createWindow()
{
    if (m_adoptablePopup)
        return std::exchange(m_adoptablePopup, nullptr);
    if (!ensureConnected())
        throw ScriptError(RemoteUnavailable);
    const QJsonObject created = callBrowser(QStringLiteral("Target.createTarget"),
                                            {{QStringLiteral("url"), QStringLiteral("about:blank")},
                                             {QStringLiteral("newWindow"), true}});
    const QString targetId = jsonText(created, "targetId");
    if (auto window = windowForTarget(targetId))
        return window;
    return attachTarget(targetId);
}

void ChromiumBrowser::startProgram()
{
    if (ensureConnected()) {
        try {
            (void)createWindow();
            return;
        } catch (const ScriptError &) {
            // the browser went away meanwhile: start it anew
        }
    }
    if (m_endpoint)
        return;
    m_launched.reset(); // one that is gone or going lets go of the profile first
    m_launched = launchChromium(m_settings.program, m_settings.profileFolder, m_settings.proxy, m_settings.insecure);
}

void ChromiumBrowser::activateWindow(const QString &title)
{
    if (title.isEmpty() || !ensureConnected())
        return;
    std::vector<QJsonObject> targets;
    try {
        targets = pageTargets();
    } catch (const ScriptError &) {
        return;
    }
    const QString suffix = QStringLiteral(" - ") + browserName();
    const std::vector<std::function<bool(const QString &)>> tests = {
        [&title](const QString &windowTitle) { return windowTitle == title; },
        [&title](const QString &windowTitle) { return windowTitle.startsWith(title); },
        [&title](const QString &windowTitle) { return windowTitle.endsWith(title); },
    };
    for (const auto &matches : tests) {
        for (const QJsonObject &target : targets) {
            if (!matches(jsonText(target, "title") + suffix))
                continue;
            try {
                (void)callBrowser(QStringLiteral("Target.activateTarget"), {{QStringLiteral("targetId"), jsonText(target, "targetId")}});
            } catch (const ScriptError &) {
            }
            return;
        }
    }
}

void ChromiumBrowser::setPersonActions(PersonActions *receiver)
{
    m_personActions = receiver ? std::make_shared<PersonActionQueue>(*receiver) : nullptr;
    for (const auto &window : m_windows)
        window->setPersonActions(m_personActions);
}
