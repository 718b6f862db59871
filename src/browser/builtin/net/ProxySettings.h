#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

// Which proxy a request goes through: one given for every address (--proxy, the window's
// setting), or those of the environment (http_proxy, https_proxy, no_proxy and their capitalised
// forms), as curl and most tools read them. Hosts that no_proxy lists go direct.
class ProxySettings {
public:
    // The environment's.
    static ProxySettings fromEnvironment();
    // One proxy for every address but those `noProxy` lists: http://, https:// or socks5:// with
    // credentials if it asks for them; none when the text is no such address.
    static std::optional<ProxySettings> single(const QString &proxy, const QString &noProxy = {});
    // A proxy's address with its scheme and without credentials, as Chromium's command line
    // takes it: Chromium asks for credentials itself.
    [[nodiscard]] static QString withoutCredentials(const QString &proxy);

    // The proxy for a request to `url`, empty for a direct connection.
    [[nodiscard]] QByteArray proxyFor(const QUrl &url) const;

private:
    [[nodiscard]] bool goesDirect(const QString &host) const;

    QByteArray m_httpProxy;
    QByteArray m_httpsProxy;
    QStringList m_noProxy; // host names and suffixes, lower case; "*" for every host
};
