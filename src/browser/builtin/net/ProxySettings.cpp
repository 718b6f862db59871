#include "browser/builtin/net/ProxySettings.h"

#include <QStringList>

#include <cstdlib>

namespace {

// The lower-case form first, as curl reads them.
[[nodiscard]] QByteArray environment(const char *lower, const char *upper)
{
    const QByteArray value = qgetenv(lower);
    return value.isEmpty() ? qgetenv(upper) : value;
}

[[nodiscard]] QStringList noProxyList(const QString &text)
{
    QStringList hosts;
    for (QString entry : text.split(u',', Qt::SkipEmptyParts)) {
        entry = entry.trimmed().toLower();
        if (entry.startsWith(u'.'))
            entry.remove(0, 1);
        // A port is not told apart: the host goes direct on every port.
        if (const qsizetype colon = entry.lastIndexOf(u':'); colon > 0 && !entry.endsWith(u']') && entry.count(u':') == 1)
            entry.truncate(colon);
        if (!entry.isEmpty())
            hosts << entry;
    }
    return hosts;
}

// A proxy written without a scheme is an HTTP one, as curl takes it.
[[nodiscard]] std::optional<QByteArray> proxyAddress(const QString &text)
{
    const QString trimmed = text.trimmed();
    const QUrl url(trimmed.contains(QLatin1String("://")) ? trimmed : QLatin1String("http://") + trimmed);
    static const QStringList schemes{"http", "https", "socks5", "socks5h", "socks4", "socks4a"};
    if (!url.isValid() || url.host().isEmpty() || !schemes.contains(url.scheme()))
        return std::nullopt;
    return url.toEncoded();
}

} // namespace

ProxySettings ProxySettings::fromEnvironment()
{
    ProxySettings settings;
    settings.m_httpProxy = proxyAddress(QString::fromLocal8Bit(environment("http_proxy", "HTTP_PROXY"))).value_or(QByteArray());
    settings.m_httpsProxy = proxyAddress(QString::fromLocal8Bit(environment("https_proxy", "HTTPS_PROXY"))).value_or(QByteArray());
    settings.m_noProxy = noProxyList(QString::fromLocal8Bit(environment("no_proxy", "NO_PROXY")));
    return settings;
}

QString ProxySettings::withoutCredentials(const QString &proxy)
{
    const QString trimmed = proxy.trimmed();
    const QUrl url(trimmed.contains(QLatin1String("://")) ? trimmed : QLatin1String("http://") + trimmed);
    return url.adjusted(QUrl::RemoveUserInfo).toString();
}

std::optional<ProxySettings> ProxySettings::single(const QString &proxy, const QString &noProxy)
{
    const std::optional<QByteArray> address = proxyAddress(proxy);
    if (!address)
        return std::nullopt;
    ProxySettings settings;
    settings.m_httpProxy = *address;
    settings.m_httpsProxy = *address;
    settings.m_noProxy = noProxyList(noProxy);
    return settings;
}

QByteArray ProxySettings::proxyFor(const QUrl &url) const
{
    const QByteArray &proxy = url.scheme() == QLatin1String("https") ? m_httpsProxy : m_httpProxy;
    if (proxy.isEmpty() || goesDirect(url.host().toLower()))
        return {};
    return proxy;
}

bool ProxySettings::goesDirect(const QString &host) const
{
    for (const QString &entry : m_noProxy) {
        if (entry == u'*' || host == entry || (host.endsWith(entry) && host.at(host.size() - entry.size() - 1) == u'.'))
            return true;
    }
    return false;
}
