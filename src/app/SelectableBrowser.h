#pragma once

#include "browser/Browser.h"

#include <QString>

#include <memory>

class QSettings;

// The browser engines the main window can drive.
enum class BrowserEngine { Builtin, Chromium };

// The engine kept in the settings store (group "Browser", key "Engine"); the built-in one when
// none or an unknown one is stored.
[[nodiscard]] BrowserEngine storedBrowserEngine(QSettings &settings);
void storeBrowserEngine(QSettings &settings, BrowserEngine engine);

// The browser the main window's connection talks to, whose engine can be changed while the
// program runs: every call goes to the engine chosen last.
class SelectableBrowser final : public Browser {
public:
    explicit SelectableBrowser(BrowserEngine engine);
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

private:
    BrowserEngine m_engine;
    std::unique_ptr<Browser> m_backend;
};
