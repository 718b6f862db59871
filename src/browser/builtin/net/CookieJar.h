#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QNetworkCookieJar>

// The session's cookies, within the bounds browsers keep: a page that sets cookies without end
// would otherwise make every later request carry them all. Past a bound the least recently used
// cookies go first.
class CookieJar final : public QNetworkCookieJar {
public:
    static constexpr int MaxPerHost = 180;
    static constexpr int MaxCookies = 3000;
    static constexpr qsizetype MaxCookieBytes = 4096; // name and value together
    static constexpr qsizetype MaxHeaderBytes = 16 * 1024;

    // Takes one Set-Cookie field of an answer from `url`, read as RFC 6265bis reads it: a field
    // with a control character in it is dropped whole; one without a name keeps its value alone.
    void store(QByteArrayView setCookie, const QUrl &url);
    // The Cookie header's value for a request to `url`: the cookies that fit in the bound, longest
    // paths first; empty for none.
    [[nodiscard]] QByteArray headerFor(const QUrl &url);

    bool setCookiesFromUrl(const QList<QNetworkCookie> &cookies, const QUrl &url) override;
    bool deleteCookie(const QNetworkCookie &cookie) override;

private:
    void touch(const QNetworkCookie &cookie);
    void keepWithinBounds(const QString &domain);
    void dropLeastRecentlyUsed(const QList<QNetworkCookie> &among);

    QHash<QString, quint64> m_lastUse; // by the cookie's name, domain and path
    quint64 m_uses = 0;
};
