#include "browser/builtin/dom/Url.h"

namespace dom {

std::optional<int> specialSchemePort(QStringView scheme)
{
    if (scheme == u"http" || scheme == u"ws")
        return 80;
    if (scheme == u"https" || scheme == u"wss")
        return 443;
    if (scheme == u"ftp")
        return 21;
    if (scheme == u"file")
        return -1;
    return std::nullopt;
}

bool Url::isSpecial() const
{
    return specialSchemePort(scheme).has_value();
}

// The URL serializer, fragment included.
QString Url::href() const
{
    QString output;
    output.reserve(scheme.size() + (host ? host->size() + 3 : 0) + path.size() + (query ? query->size() + 1 : 0)
                   + (fragment ? fragment->size() + 1 : 0) + username.size() + password.size() + 8);
    output += scheme;
    output += u':';
    if (host) {
        output += QLatin1StringView("//");
        if (!username.isEmpty() || !password.isEmpty()) {
            output += username;
            if (!password.isEmpty())
                output += u':' + password;
            output += u'@';
        }
        output += *host;
        if (port)
            output += u':' + QString::number(*port);
    }
    // A path of an empty first segment and no host would read as a host: "/." keeps it a path.
    if (!host && !hasOpaquePath && path.startsWith(QLatin1StringView("//")))
        output += QLatin1StringView("/.");
    output += path;
    if (query)
        output += u'?' + *query;
    if (fragment)
        output += u'#' + *fragment;
    return output;
}

QString Url::requestTarget() const
{
    return query ? path + u'?' + *query : path;
}

} // namespace dom
