#include "browser/builtin/net/RequestHeaders.h"

#include "browser/builtin/net/ContentDecoder.h"

namespace {

// Longer referrers are cut to their origin, as browsers do.
constexpr qsizetype MaxRefererLength = 4096;

constexpr char NavigationAccept[] =
    "text/html,application/xhtml+xml,application/xml;q=0.9,image/avif,image/webp,image/apng,*/*;q=0.8";
constexpr char AcceptLanguage[] = "en-US,en;q=0.9";

[[nodiscard]] bool hasTupleOrigin(const QUrl &url)
{
    const QString scheme = url.scheme();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) && !url.host().isEmpty();
}

[[nodiscard]] bool sameOrigin(const QUrl &a, const QUrl &b)
{
    return a.scheme() == b.scheme() && a.host() == b.host()
        && a.port(a.scheme() == QLatin1String("https") ? 443 : 80)
        == b.port(b.scheme() == QLatin1String("https") ? 443 : 80);
}

} // namespace

QByteArray serialisedOrigin(const QUrl &url)
{
    if (!hasTupleOrigin(url))
        return QByteArrayLiteral("null");
    return url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment | QUrl::RemoveUserInfo)
        .toEncoded();
}

// Referrer Policy, "determine request's Referrer" for strict-origin-when-cross-origin.
QByteArray refererHeader(const QUrl &referrer, const QUrl &target)
{
    // Step: only documents with a tuple origin send a referrer (not file, data, about).
    if (!hasTupleOrigin(referrer) || !hasTupleOrigin(target))
        return {};
    // Step: strip the referrer for use as one: no user info, no fragment.
    const QByteArray full = referrer.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveFragment).toEncoded();
    const QByteArray originOnly = serialisedOrigin(referrer) + '/';
    // Step: same origin sends the whole address.
    if (sameOrigin(referrer, target))
        return full.size() > MaxRefererLength ? originOnly : full;
    // Step: from a secure page to an insecure one, nothing.
    if (referrer.scheme() == QLatin1String("https") && target.scheme() != QLatin1String("https"))
        return {};
    // Step: otherwise the origin only.
    return originOnly;
}

QByteArray requestTarget(const NavigationRequest &request)
{
    if (!request.wireTarget.isEmpty())
        return request.wireTarget;
    const QByteArray target = request.url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
    return target.isEmpty() ? QByteArrayLiteral("/") : target;
}

HttpHeaders requestHeadersFor(const NavigationRequest &request)
{
    HttpHeaders headers{
        {"User-Agent", UserAgent},
        {"Accept", NavigationAccept},
        {"Accept-Language", AcceptLanguage},
        {"Accept-Encoding", AcceptedEncodings},
        {"Upgrade-Insecure-Requests", "1"},
    };
    if (const QByteArray referer = refererHeader(request.referrer, request.url); !referer.isEmpty())
        headers.append({"Referer", referer});
    if (request.method == "POST") {
        headers.append({"Origin", serialisedOrigin(request.referrer)});
        headers.append({"Content-Type", request.contentType.isEmpty() ? QByteArrayLiteral("application/x-www-form-urlencoded")
                                                                      : request.contentType});
    }
    return headers;
}
