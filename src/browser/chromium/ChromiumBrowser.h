#pragma once

#include "browser/Browser.h"
#include "browser/chromium/DevToolsEndpoint.h"

#include <QJsonObject>
#include <QObject>

#include <memory>
#include <optional>
#include <vector>

class ChromiumWindow;
class DevToolsConnection;
class LaunchedChromium;
class PersonActionQueue;

struct ChromiumSettings {
    // A browser the user started with a debugging port, named to be attached to. Without one,
    // NavRelay starts Chromium itself and drives it over a pipe, with no port open.
    std::optional<DevToolsAddress> address;
    QString program;       // the Chromium to start; empty: the first found on PATH
    QString profileFolder; // empty: NavRelay's own folder under the per-user data folder
    QString proxy;         // the proxy a started Chromium goes through; empty: the environment's
    bool insecure = false; // a started Chromium ignores certificate errors
};

// Chromium driven over its DevTools protocol: the page targets of the browser are the windows.
// One connection to the browser carries the sessions of every page (flat mode), so a dropped
// connection is seen once, for all windows, and a page's new windows are attached before they
// load anything (see createWindow()).
class ChromiumBrowser : public QObject, public Browser {
    Q_OBJECT

public:
    // A navigation that has started but not brought its document yet is given this long to do
    // so when the backend is let go, so that a run's last click reaches its server.
    static constexpr int kSettleTimeoutMs = 3000;

    explicit ChromiumBrowser(ChromiumSettings settings = {});
    // Closes the Chromium this backend started.
    ~ChromiumBrowser() override;

    QString browserName() const override;
    QString programName() const override;

    // The browser's page targets, in the order they were first seen; none while it does not
    // answer.
    std::vector<std::shared_ptr<BrowserWindow>> windows() override;
    // While a window's event sink is asked for the window of a page that window opens, this is
    // the very window Chromium opened for it (still waiting to load). Otherwise a new window
    // showing an empty page.
    std::shared_ptr<BrowserWindow> createWindow() override;
    // Starts Chromium with NavRelay's profile; it lives as long as this backend. A Chromium that
    // answers but shows no page (its last one was closed) is given a new window instead. A
    // browser the user named is never started: the attach waits for it to answer.
    void startProgram() override;
    // Activates the first page whose window title ("TITLE - Chromium") is, starts or ends with
    // the given text.
    void activateWindow(const QString &title) override;
    void setPersonActions(PersonActions *receiver) override;

    // Whether the browser answers over its DevTools connection, connecting when needed.
    [[nodiscard]] bool endpointAnswers();
    // The browser's product and version, "Chrome/156.0.7000.0"; empty while it does not answer.
    [[nodiscard]] QString version();

private:
    [[nodiscard]] bool ensureConnected();
    void closeStartedBrowser();
    QJsonObject callBrowser(const QString &method, const QJsonObject &params);
    // The page targets the browser lists: each {targetId, title, ...} of Target.getTargets.
    [[nodiscard]] std::vector<QJsonObject> pageTargets();
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
    std::shared_ptr<PersonActionQueue> m_personActions; // while a recording is on
    std::unique_ptr<DevToolsEndpoint> m_endpoint; // the browser the user named, if any
    std::unique_ptr<LaunchedChromium> m_launched;  // the browser NavRelay started, if any
    std::shared_ptr<DevToolsConnection> m_connection;
    std::vector<std::shared_ptr<ChromiumWindow>> m_windows; // in the order they were attached
    std::shared_ptr<ChromiumWindow> m_adoptablePopup;
};
