#include "browser/builtin/dom/UrlParsing.h"

#include "browser/builtin/dom/AsciiText.h"


namespace dom {
namespace {

[[nodiscard]] bool isSpecialScheme(const QString &scheme)
{
    return scheme == QLatin1StringView("http") || scheme == QLatin1StringView("https")
        || scheme == QLatin1StringView("ftp") || scheme == QLatin1StringView("ws")
        || scheme == QLatin1StringView("wss") || scheme == QLatin1StringView("file");
}

[[nodiscard]] QString schemeOf(const QString &input)
{
    const qsizetype colon = input.indexOf(QLatin1Char(':'));
    if (colon <= 0 || !input[0].isLetter())
        return {};
    for (qsizetype i = 1; i < colon; ++i) {
        const QChar c = input[i];
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != u'+' && c != u'-' && c != u'.')
            return {};
    }
    return asciiLowercase(input.left(colon));
}

[[nodiscard]] QString cleaned(const QString &input)
{
    qsizetype start = 0;
    qsizetype end = input.size();
    while (start < end && input[start].unicode() <= 0x20)
        ++start;
    while (end > start && input[end - 1].unicode() <= 0x20)
        --end;
    QString text = input.mid(start, end - start);
    text.remove(QLatin1Char('\t')).remove(QLatin1Char('\n')).remove(QLatin1Char('\r'));
    return text;
}

} // namespace

std::optional<QUrl> parseUrl(const QString &input, const QUrl &base)
{
    QString text = cleaned(input);
    const QString scheme = schemeOf(text);
    if (isSpecialScheme(scheme.isEmpty() ? base.scheme() : scheme)) {
        // Back slashes are slashes up to the query or fragment.
        for (qsizetype i = 0; i < text.size() && text[i] != u'?' && text[i] != u'#'; ++i)
            if (text[i] == u'\\')
                text[i] = u'/';
    }
    // An empty reference is the base without its fragment.
    if (text.isEmpty())
        return base.isValid() ? std::optional<QUrl>(base.adjusted(QUrl::RemoveFragment)) : std::nullopt;
    const QUrl reference(text, QUrl::TolerantMode);
    if (!reference.isValid())
        return std::nullopt;
    QUrl resolved = scheme.isEmpty() ? base.resolved(reference) : reference;
    if (!resolved.isValid() || resolved.scheme().isEmpty())
        return std::nullopt;
    if (isSpecialScheme(resolved.scheme()) && resolved.scheme() != QLatin1StringView("file") && resolved.host().isEmpty())
        return std::nullopt;
    if (isSpecialScheme(resolved.scheme()) && resolved.path().isEmpty())
        resolved.setPath(QStringLiteral("/"));
    return resolved;
}

QString serializeUrl(const QUrl &url)
{
    return QString::fromUtf8(url.toEncoded());
}

QUrl referrerUrl(const QUrl &url)
{
    QUrl referrer = url.adjusted(QUrl::RemoveFragment | QUrl::RemoveUserInfo);
    return referrer;
}

} // namespace dom
