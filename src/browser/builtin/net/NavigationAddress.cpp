#include "browser/builtin/net/NavigationAddress.h"

#include "browser/builtin/dom/UrlParsing.h"

namespace {

[[nodiscard]] bool isHttpScheme(const QString &scheme)
{
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

} // namespace

NavigationRequest typedNavigation(const QString &text)
{
    NavigationRequest request;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return request;
    const QUrl guess = QUrl::fromUserInput(trimmed);
    if (!isHttpScheme(guess.scheme())) {
        request.url = guess;
        return request;
    }
    // The text as written, with the scheme Qt took it for when it wrote none.
    const bool writesScheme = trimmed.startsWith(guess.scheme() + u':', Qt::CaseInsensitive);
    if (const auto url = dom::Url::parse(writesScheme ? trimmed : guess.scheme() + QLatin1String("://") + trimmed))
        dom::setRequestUrl(request, *url);
    return request;
}

AddressKind addressKind(const QUrl &url)
{
    if (!url.isValid() || url.isRelative())
        return AddressKind::Invalid;
    const QString scheme = url.scheme();
    if (isHttpScheme(scheme))
        return url.host().isEmpty() ? AddressKind::Invalid : AddressKind::Network;
    if (scheme == QLatin1String("file"))
        return AddressKind::File;
    if (scheme == QLatin1String("data"))
        return AddressKind::Data;
    if (scheme == QLatin1String("javascript"))
        return AddressKind::Script;
    if (scheme == QLatin1String("about") && url.path() == QLatin1String("blank"))
        return AddressKind::Blank;
    return AddressKind::Unsupported;
}
