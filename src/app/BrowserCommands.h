#pragma once

#include <QString>

class BrowserConnection;
class Host;

// The menu commands that act on the attached browser's window or on the other browser windows.
// With no browser attached, or one the user has closed, they change nothing and say so in
// status panel 1.
class BrowserCommands {
public:
    static constexpr int kCloseAllPasses = 6;

    BrowserCommands(BrowserConnection &connection, Host &host);

    enum class Failure { Report, Ignore };

    // Sends the attached browser to the address; false when there is no browser to send.
    bool navigate(const QString &url, Failure failure = Failure::Report);
    // Shows or hides the attached browser's toolbar and status bar; the new check state of
    // Toolbars, or the old one when there is no browser.
    [[nodiscard]] bool toggleToolbars(bool checked);
    // Closes every other browser window that shows an HTML page at a different address.
    void closeAllWindows();

private:
    void reportNoBrowser(int errorNumber);

    BrowserConnection &m_connection;
    Host &m_host;
};
