#pragma once

#include "browser/Browser.h"
#include "browser/chromium/DevToolsEndpoint.h"

#include <QString>

#include <memory>
#include <optional>

class QSettings;

// The browser engines the main window can drive.
enum class BrowserEngine { Builtin, Chromium };

// The engine kept in the settings store (group "Browser", key "Engine"); the built-in one when
// none or an unknown one is stored.
[[nodiscard]] BrowserEngine storedBrowserEngine(QSettings &settings);
void storeBrowserEngine(QSettings &settings, BrowserEngine engine);
// The Chromium the user started with a debugging port and named to be attached to (group
// "Browser", key "DevTools": HOST:PORT or ws://...); none when the key is empty or not an address.
[[nodiscard]] std::optional<DevToolsAddress> storedDevToolsAddress(QSettings &settings);

// The browser the main window's connection talks to, whose engine can be changed while the
// program runs: every call goes to the engine chosen last.
class SelectableBrowser final : public Browser {
public:
    // Chromium is attached at the address when there is one, else started by NavRelay.
    // Pages go through the proxy (empty: the environment's).
    explicit SelectableBrowser(BrowserEngine engine, std::optional<DevToolsAddress> chromiumAddress = std::nullopt,
                               QString proxy = {});
    ~SelectableBrowser() override;

    [[nodiscard]] BrowserEngine engine() const { return m_engine; }
    // Starts using a new engine and hands back the one used so far, so that the caller can
    // end it once nothing refers to its windows any more.
    [[nodiscard]] std::unique_ptr<Browser> select(BrowserEngine engine);

    [[nodiscard]] QString browserName() const override { return m_backend->browserName(); }
    [[nodiscard]] QString programName() const override { return m_backend->programName(); }
    [[nodiscard]] std::vector<std::shared_ptr<BrowserWindow>> windows() override;
    [[nodiscard]] std::shared_ptr<BrowserWindow> createWindow() override;
    void startProgram() override;
    void activateWindow(const QString &title) override;
    // The built-in engine's next loads go through the proxy (empty: the environment's), and so
    // does a Chromium started from now on.
    void setProxy(const QString &proxy);
    // The receiver stays with the engine chosen next.
    void setPersonActions(PersonActions *receiver) override;

private:
    [[nodiscard]] std::unique_ptr<Browser> createBackend(BrowserEngine engine) const;

    BrowserEngine m_engine;
    std::optional<DevToolsAddress> m_chromiumAddress;
    QString m_proxy;
    std::unique_ptr<Browser> m_backend;
    PersonActions *m_personActions = nullptr;
};
