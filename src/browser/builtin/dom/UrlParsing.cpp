#include "browser/builtin/dom/UrlParsing.h"

namespace dom {

QUrl toQUrl(const Url &url)
{
    return QUrl::fromEncoded(url.href().toLatin1());
}

void setRequestUrl(NavigationRequest &request, const Url &url)
{
    request.url = toQUrl(url);
    request.wireTarget.clear();
    if (url.scheme != u"http" && url.scheme != u"https")
        return;
    const QByteArray written = url.requestTarget().toLatin1();
    const QByteArray sentByQUrl = request.url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
    if (written != sentByQUrl)
        request.wireTarget = written;
}

QString writtenUrl(const QUrl &url, const QByteArray &wireTarget)
{
    if (wireTarget.isEmpty())
        return url.toString(QUrl::FullyEncoded);
    QString written = url.toString(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment | QUrl::FullyEncoded)
        + QString::fromLatin1(wireTarget);
    if (url.hasFragment())
        written += u'#' + url.fragment(QUrl::FullyEncoded);
    return written;
}

QUrl referrerUrl(const QUrl &url)
{
    return url.adjusted(QUrl::RemoveFragment | QUrl::RemoveUserInfo);
}

} // namespace dom
