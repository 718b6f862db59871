#pragma once

#include "browser/builtin/net/CookieJar.h"
#include "browser/builtin/net/HttpConnectionPool.h"

#include <QNetworkAccessManager>

// Where a browser's loads go out, shared by its windows for the session: Qt's manager, with the
// cookie jar, for secure and data: addresses, and the engine's own kept-alive connections for
// plain HTTP, which spare each page the hops to and from the manager's thread.
class NetworkAccess {
public:
    // The loader follows redirects itself, under its own rules.
    NetworkAccess()
    {
        m_manager.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
        m_manager.setCookieJar(m_cookies); // the manager owns it
    }

    [[nodiscard]] QNetworkAccessManager &manager() { return m_manager; }
    [[nodiscard]] HttpConnectionPool &connections() { return m_connections; }
    [[nodiscard]] CookieJar &cookies() { return *m_cookies; }

private:
    QNetworkAccessManager m_manager;
    CookieJar *m_cookies = new CookieJar;
    HttpConnectionPool m_connections;
};
