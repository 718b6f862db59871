#pragma once

#include "browser/Browser.h"
#include "browser/chromium/DevToolsEndpoint.h"

#include <QJsonObject>
#include <QObject>

#include <map>
#include <memory>

class ChromiumWindow;
class DevToolsConnection;

struct ChromiumSettings {
    DevToolsAddress address;
    QString program;       // the Chromium to start; empty: the first found on PATH
    QString profileFolder; // empty: NavRelay's own folder under the per-user data folder
};

// Chromium driven over its DevTools protocol: the page targets of the endpoint are the windows.
// One WebSocket to the browser carries the sessions of every page (flat mode), so a dropped
// connection is seen once, for all windows, and a page's new windows are attached before they
// load anything (see createWindow()).
class ChromiumBrowser : public QObject, public Browser {
    Q_OBJECT

public:
    // A navigation that has started but not brought its document yet is given this long to do
    // so when the backend is let go, so that a run's last click reaches its server.
    static constexpr int kSettleTimeoutMs = 3000;

    explicit ChromiumBrowser(ChromiumSettings settings = {});
    ~ChromiumBrowser() override;

    QString browserName() const override;
    QString programName() const override;

    // The endpoint's page targets, in the endpoint's order; none while it does not answer.
    std::vector<std::shared_ptr<BrowserWindow>> windows() override;
    // While a window's event sink is asked for the window of a page that window opens, this is
    // the very window Chromium opened for it (still waiting to load). Otherwise a new window
    // showing an empty page.
    std::shared_ptr<BrowserWindow> createWindow() override;
    // Starts Chromium with the endpoint's port and NavRelay's profile; it stays open when
    // NavRelay ends. A Chromium that answers but shows no page (its last one was closed) is
    // given a new window instead.
    void startProgram() override;
    // Activates the first page whose window title ("TITLE - Chromium") is, starts or ends with
    // the given text.
    void activateWindow(const QString &title) override;

    [[nodiscard]] bool endpointAnswers();

private:
    [[nodiscard]] bool ensureConnected();
    QJsonObject callBrowser(const QString &method, const QJsonObject &params);
    void settleNavigations();
    void handleEvent(const QString &sessionId, const QString &method, const QJsonObject &params);
    void onAttached(const QJsonObject &params);
    void onTargetGone(const QString &targetId);
    void onDisconnected();
    void openPopup(const std::weak_ptr<ChromiumWindow> &opener, const std::shared_ptr<ChromiumWindow> &popup);
    [[nodiscard]] std::shared_ptr<ChromiumWindow> addWindow(const QString &targetId, const QString &sessionId,
                                                            bool waitingForDebugger);
    [[nodiscard]] std::shared_ptr<ChromiumWindow> attachTarget(const QString &targetId);
    [[nodiscard]] std::shared_ptr<ChromiumWindow> windowForTarget(const QString &targetId) const;
    [[nodiscard]] std::shared_ptr<ChromiumWindow> windowForSession(const QString &sessionId) const;

    ChromiumSettings m_settings;
    DevToolsEndpoint m_endpoint;
    std::shared_ptr<DevToolsConnection> m_connection;
    std::map<QString, std::shared_ptr<ChromiumWindow>> m_windows; // by target id
    std::shared_ptr<ChromiumWindow> m_adoptablePopup;
};
