#include "app/BrowserCommands.h"

#include "browser/Browser.h"
#include "browser/BrowserConnection.h"
#include "engine/Host.h"
#include "engine/ScriptError.h"
#include "page/Document.h"

BrowserCommands::BrowserCommands(BrowserConnection &connection, Host &host)
    : m_connection(connection)
    , m_host(host)
{
}

void BrowserCommands::reportNoBrowser(int errorNumber)
{
    m_host.setStatusText(errorNumber == RemoteUnavailable ? QStringLiteral("The browser window has been closed.")
                                                          : QStringLiteral("No browser is attached."));
}

bool BrowserCommands::navigate(const QString &url, Failure failure)
{
    try {
        m_connection.window().navigate(url);
        return true;
    } catch (const ScriptError &error) {
        if (failure == Failure::Report)
            reportNoBrowser(error.number());
        return false;
    }
}

bool BrowserCommands::toggleToolbars(bool checked)
{
    try {
        BrowserWindow &window = m_connection.window();
        window.setToolBar(!checked);
        window.setStatusBar(!checked);
        return !checked;
    } catch (const ScriptError &error) {
        reportNoBrowser(error.number());
        return checked;
    }
}

void BrowserCommands::closeAllWindows()
{
    QString attachedAddress;
    try {
        attachedAddress = m_connection.window().locationUrl();
    } catch (const ScriptError &error) {
        // Without the attached address every window would count as different and be closed.
        reportNoBrowser(error.number());
        return;
    }
    for (int pass = 0; pass < kCloseAllPasses; ++pass) {
        for (const auto &window : m_connection.browser().windows()) {
            try {
                const auto document = window->document();
                if (document && document->kind() == DocumentKind::Html && window->locationUrl() != attachedAddress)
                    window->quit();
            } catch (const ScriptError &) {
                // A window that cannot be asked or refuses to quit stays; the others go on.
            }
        }
    }
}
