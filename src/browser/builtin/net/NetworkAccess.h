#pragma once

#include "browser/builtin/net/CookieJar.h"
#include "browser/builtin/net/HttpCache.h"
#include "browser/builtin/net/HttpClient.h"
#include "browser/builtin/net/ProxySettings.h"

// Where a browser's loads go out, shared by its windows for the session: the HTTP client with
// its kept connections, the proxy it goes through, the cookie jar and the answers kept.
class NetworkAccess {
public:
    explicit NetworkAccess(std::chrono::milliseconds keptConnectionIdle = HttpClient::MaxIdle)
        : m_client(keptConnectionIdle)
    {
    }

    [[nodiscard]] HttpClient &client() { return m_client; }
    [[nodiscard]] CookieJar &cookies() { return m_cookies; }
    [[nodiscard]] HttpCache &cache() { return m_cache; }
    [[nodiscard]] const ProxySettings &proxy() const { return m_proxy; }
    void setProxy(const ProxySettings &proxy) { m_proxy = proxy; }
    // Certificate authorities (a PEM file) trusted besides the system's, as a company's own.
    [[nodiscard]] const QByteArray &extraAuthorities() const { return m_authorities; }
    void trustAuthorities(const QString &pemFile) { m_authorities = pemFile.toLocal8Bit(); }
    // Whether servers' certificates are checked: always, but where the user turned it off.
    [[nodiscard]] bool verifiesCertificates() const { return m_verifiesCertificates; }
    void skipCertificateChecks() { m_verifiesCertificates = false; }

private:
    HttpClient m_client;
    CookieJar m_cookies;
    HttpCache m_cache;
    ProxySettings m_proxy = ProxySettings::fromEnvironment();
    QByteArray m_authorities;
    bool m_verifiesCertificates = true;
};
