#include "browser/builtin/dom/UrlParsing.h"

#include "browser/builtin/dom/AsciiText.h"
#include "browser/builtin/dom/TextCodec.h"

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

[[nodiscard]] bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// A "%" that starts no escape becomes "%25": QUrl would otherwise re-encode every escape of
// the address, those written in it included.
[[nodiscard]] QString withLonePercentsEscaped(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        escaped += text[i];
        if (text[i] == u'%' && !(i + 2 < text.size() && isHexDigit(text[i + 1]) && isHexDigit(text[i + 2])))
            escaped += QStringLiteral("25");
    }
    return escaped;
}

// The URL standard's query state for an encoding other than UTF-8: every character outside
// ASCII is encoded, and its bytes percent-encoded, before QUrl sees the query.
[[nodiscard]] QString withQueryEncoded(const QString &text, QByteArrayView encoding)
{
    const qsizetype fragment = text.indexOf(u'#');
    const qsizetype query = text.left(fragment < 0 ? text.size() : fragment).indexOf(u'?');
    if (query < 0)
        return text;
    const qsizetype end = fragment < 0 ? text.size() : fragment;
    QString encoded = text.left(query + 1);
    for (qsizetype i = query + 1; i < end; ++i) {
        if (text[i].unicode() < 0x80) {
            encoded += text[i];
            continue;
        }
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < end && text[i + 1].isLowSurrogate() ? 2 : 1;
        const QByteArray bytes = encodeWithCharacterReferences(QStringView(text).mid(i, length), encoding);
        encoded += QString::fromLatin1(bytes.toPercentEncoding());
        i += length - 1;
    }
    return encoded + text.mid(end);
}

} // namespace

std::optional<QUrl> parseUrl(const QString &input, const QUrl &base, QByteArrayView queryEncoding)
{
    QString text = withLonePercentsEscaped(cleaned(input));
    const QString scheme = schemeOf(text);
    const QString effectiveScheme = scheme.isEmpty() ? base.scheme() : scheme;
    // WebSocket addresses always write their query in UTF-8.
    if (isSpecialScheme(effectiveScheme) && effectiveScheme != QLatin1StringView("ws")
        && effectiveScheme != QLatin1StringView("wss") && outputEncoding(queryEncoding) != Utf8Encoding)
        text = withQueryEncoded(text, queryEncoding);
    if (isSpecialScheme(effectiveScheme)) {
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
