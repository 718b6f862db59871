#pragma once

#include "engine/BrowserWindow.h"
#include "engine/BrowserAccess.h"

#include <functional>
#include <memory>

class Browser;
class Host;
struct RunState;

// The attached browser window and the popup window: finds or starts a browser window to
// attach and handles the attached window's events for the runner.
class BrowserConnection : public BrowserAccess, public BrowserEvents {
public:
    static constexpr int kClosingPasses = 3;
    static constexpr int kPauseAfterClosingMs = 500;
    static constexpr int kPauseAfterSearchMs = 1000;
    static constexpr int kSearches = 30;
    // A window that stays busy this long is attached as it is rather than waited for forever.
    static constexpr int kBusyWaitLimitMs = 30000;

    // `reset` rewinds the run when a browser is attached; `pageCompleted` hears of every page
    // that ends a wait.
    BrowserConnection(Browser &browser, Host &host, RunState &state, std::function<void()> reset,
                      std::function<void()> pageCompleted = {});
    ~BrowserConnection() override;

    BrowserWindow &window() override;
    void attachBrowser() override;

    void navigationStarted(const QString &url) override;
    void documentCompleted(const QString &url) override;
    std::shared_ptr<BrowserWindow> newWindowRequested() override;
    void documentChanged() override;
    // Who hears that the attached window's document changed.
    void setDocumentChanged(std::function<void()> documentChanged) { m_documentChanged = std::move(documentChanged); }

    [[nodiscard]] std::shared_ptr<BrowserWindow> attachedWindow() const { return m_attached; }
    // A page is on its way to the attached window: the window loads one, or a line waits for
    // one. A window gone or never attached has none coming.
    [[nodiscard]] bool pageComing() const;
    [[nodiscard]] std::shared_ptr<BrowserWindow> popupWindow() const { return m_popup; }
    [[nodiscard]] Browser &browser() { return m_browser; }

private:
    // Tells every window that is not a browser window to quit; true when there was one.
    bool closeOtherShellWindows();
    [[nodiscard]] std::shared_ptr<BrowserWindow> findHtmlWindow();
    [[nodiscard]] bool startBrowserProgram();
    void attach(std::shared_ptr<BrowserWindow> window);
    void detach();

    Browser &m_browser;
    Host &m_host;
    RunState &m_state;
    std::function<void()> m_reset;
    std::function<void()> m_pageCompleted;
    std::function<void()> m_documentChanged;
    std::shared_ptr<BrowserWindow> m_attached;
    std::shared_ptr<BrowserWindow> m_popup;
};
