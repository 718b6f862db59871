#pragma once

#include "browser/builtin/net/CookieJar.h"
#include "browser/builtin/net/HttpClient.h"

// Where a browser's loads go out, shared by its windows for the session: the HTTP client with
// its kept connections, and the cookie jar.
class NetworkAccess {
public:
    explicit NetworkAccess(std::chrono::milliseconds keptConnectionIdle = HttpClient::MaxIdle)
        : m_client(keptConnectionIdle)
    {
    }

    [[nodiscard]] HttpClient &client() { return m_client; }
    [[nodiscard]] CookieJar &cookies() { return m_cookies; }

private:
    HttpClient m_client;
    CookieJar m_cookies;
};
