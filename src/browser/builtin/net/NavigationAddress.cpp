#include "browser/builtin/net/NavigationAddress.h"

namespace {

[[nodiscard]] bool isHttpScheme(const QString &scheme)
{
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

[[nodiscard]] int defaultPort(const QString &scheme)
{
    if (scheme == QLatin1String("http"))
        return 80;
    if (scheme == QLatin1String("https"))
        return 443;
    return -1;
}

} // namespace

QUrl addressFromText(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {};
    return normalizedAddress(QUrl::fromUserInput(trimmed));
}

QUrl normalizedAddress(const QUrl &url)
{
    if (!url.isValid() || !isHttpScheme(url.scheme()))
        return url;
    QUrl normal = url.adjusted(QUrl::NormalizePathSegments);
    if (normal.port() == defaultPort(normal.scheme()))
        normal.setPort(-1);
    if (normal.path().isEmpty())
        normal.setPath(QStringLiteral("/"));
    return normal;
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
