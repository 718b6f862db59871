#pragma once

class BrowserWindow;

// What the runner and the page actions need of the browser connection.
class BrowserAccess {
public:
    virtual ~BrowserAccess() = default;

    // The attached browser window; throws ScriptError(ObjectNotSet) when none is attached.
    [[nodiscard]] virtual BrowserWindow &window() = 0;
    // Resets the run and finds or starts a browser to attach.
    virtual void attachBrowser() = 0;
};
