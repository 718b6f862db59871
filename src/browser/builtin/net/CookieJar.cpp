#include "browser/builtin/net/CookieJar.h"

#include <QNetworkCookie>

#include <algorithm>

namespace {

// RFC 6265bis refuses a field holding any control character but the tab.
[[nodiscard]] bool holdsControlCharacter(QByteArrayView bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && byte != '\t') || byte == 0x7f;
    });
}

[[nodiscard]] QString identity(const QNetworkCookie &cookie)
{
    return QString::fromLatin1(cookie.name()) + u'\n' + cookie.domain() + u'\n' + cookie.path();
}

[[nodiscard]] QString hostOf(const QString &domain)
{
    return domain.startsWith(u'.') ? domain.mid(1) : domain;
}

[[nodiscard]] QByteArray pairOf(const QNetworkCookie &cookie)
{
    return cookie.name().isEmpty() ? cookie.value() : cookie.name() + '=' + cookie.value();
}

} // namespace

void CookieJar::store(QByteArrayView setCookie, const QUrl &url)
{
    if (holdsControlCharacter(setCookie))
        return;
    const qsizetype semicolon = setCookie.indexOf(';');
    const QByteArrayView pair = semicolon < 0 ? setCookie : setCookie.first(semicolon);
    const QByteArrayView attributes = semicolon < 0 ? QByteArrayView() : setCookie.sliced(semicolon);
    const qsizetype equals = pair.indexOf('=');
    const QByteArray name = equals < 0 ? QByteArray() : pair.first(equals).trimmed().toByteArray();
    const QByteArray value = (equals < 0 ? pair : pair.sliced(equals + 1)).trimmed().toByteArray();
    if (name.isEmpty() && value.isEmpty())
        return;
    // Qt reads the attributes; the pair, which its parser refuses without a name, is set as read here.
    const QList<QNetworkCookie> parsed = QNetworkCookie::parseCookies("x=" + attributes.toByteArray());
    if (parsed.size() != 1)
        return;
    QNetworkCookie cookie = parsed.first();
    cookie.setName(name);
    cookie.setValue(value);
    setCookiesFromUrl({cookie}, url);
}

QByteArray CookieJar::headerFor(const QUrl &url)
{
    QByteArray header;
    for (const QNetworkCookie &cookie : cookiesForUrl(url)) {
        const QByteArray pair = pairOf(cookie);
        const qsizetype grown = header.size() + (header.isEmpty() ? 0 : 2) + pair.size();
        if (grown > MaxHeaderBytes)
            continue;
        if (!header.isEmpty())
            header += "; ";
        header += pair;
        touch(cookie);
    }
    return header;
}

bool CookieJar::setCookiesFromUrl(const QList<QNetworkCookie> &cookies, const QUrl &url)
{
    bool added = false;
    for (const QNetworkCookie &cookie : cookies) {
        const QByteArray pair = pairOf(cookie);
        if (pair.size() > MaxCookieBytes || holdsControlCharacter(cookie.name()) || holdsControlCharacter(cookie.value()))
            continue;
        if (!QNetworkCookieJar::setCookiesFromUrl({cookie}, url))
            continue;
        added = true;
        // As the jar keeps it: normalising twice would make a host's own cookie one of its domain.
        QNetworkCookie kept = cookie;
        kept.normalize(url);
        touch(kept);
        keepWithinBounds(kept.domain());
    }
    return added;
}

bool CookieJar::deleteCookie(const QNetworkCookie &cookie)
{
    m_lastUse.remove(identity(cookie));
    return QNetworkCookieJar::deleteCookie(cookie);
}

void CookieJar::touch(const QNetworkCookie &cookie)
{
    m_lastUse.insert(identity(cookie), ++m_uses);
}

void CookieJar::keepWithinBounds(const QString &domain)
{
    const QString host = hostOf(domain);
    QList<QNetworkCookie> ofHost;
    for (const QNetworkCookie &cookie : allCookies()) {
        if (hostOf(cookie.domain()) == host)
            ofHost.append(cookie);
    }
    if (ofHost.size() > MaxPerHost)
        dropLeastRecentlyUsed(ofHost);
    if (allCookies().size() > MaxCookies)
        dropLeastRecentlyUsed(allCookies());
}

void CookieJar::dropLeastRecentlyUsed(const QList<QNetworkCookie> &among)
{
    const auto oldest = std::min_element(among.begin(), among.end(), [this](const auto &a, const auto &b) {
        return m_lastUse.value(identity(a)) < m_lastUse.value(identity(b));
    });
    if (oldest != among.end())
        deleteCookie(*oldest);
}
