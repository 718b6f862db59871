#pragma once

#include "browser/builtin/net/HttpConnectionPool.h"

#include <QNetworkAccessManager>

// Where a browser's loads go out, shared by its windows for the session: Qt's manager, with the
// cookie jar, for secure and data: addresses, and the engine's own kept-alive connections for
// plain HTTP, which spare each page the hops to and from the manager's thread.
class NetworkAccess {
public:
    // The loader follows redirects itself, under its own rules.
    NetworkAccess() { m_manager.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy); }

    [[nodiscard]] QNetworkAccessManager &manager() { return m_manager; }
    [[nodiscard]] HttpConnectionPool &connections() { return m_connections; }

private:
    QNetworkAccessManager m_manager;
    HttpConnectionPool m_connections;
};
