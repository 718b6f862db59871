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

// The reference as written, ready to be resolved: cleaned, the query of an http-like address in
// the document's encoding, back slashes as slashes up to the query.
[[nodiscard]] QString writtenReference(const QString &input, const QString &effectiveScheme, QByteArrayView queryEncoding)
{
    QString text = cleaned(input);
    if (!isSpecialScheme(effectiveScheme))
        return text;
    // WebSocket addresses always write their query in UTF-8.
    if (effectiveScheme != QLatin1StringView("ws") && effectiveScheme != QLatin1StringView("wss")
        && outputEncoding(queryEncoding) != Utf8Encoding)
        text = withQueryEncoded(text, queryEncoding);
    for (qsizetype i = 0; i < text.size() && text[i] != u'?' && text[i] != u'#'; ++i)
        if (text[i] == u'\\')
            text[i] = u'/';
    return text;
}

// The reference as QUrl is given it: as written, with lone "%" escaped.
[[nodiscard]] QString preparedReference(const QString &input, const QString &effectiveScheme, QByteArrayView queryEncoding)
{
    return withLonePercentsEscaped(writtenReference(input, effectiveScheme, queryEncoding));
}

// A path segment browsers read as "." or ".." though it writes a dot as "%2e".
[[nodiscard]] bool isEscapedDotSegment(QStringView segment)
{
    if (segment.size() > 6 || !segment.contains(u'%'))
        return false;
    const QString lower = segment.toString().toLower();
    return lower == QLatin1StringView("%2e") || lower == QLatin1StringView(".%2e")
        || lower == QLatin1StringView("%2e.") || lower == QLatin1StringView("%2e%2e");
}

// Every "%" written becomes "%25", which QUrl keeps through parsing and resolution where it would
// decode "%41" to "A", and write a lone "%" as "%25"; escaped dot segments stay as they are, for
// QUrl to remove.
[[nodiscard]] QString withEscapesMarked(const QString &text)
{
    qsizetype pathEnd = text.indexOf(u'?');
    const qsizetype fragment = text.indexOf(u'#');
    if (pathEnd < 0 || (fragment >= 0 && fragment < pathEnd))
        pathEnd = fragment < 0 ? text.size() : fragment;
    QString marked;
    marked.reserve(text.size() + 16);
    bool inDotSegment = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i < pathEnd && (i == 0 || text[i - 1] == u'/')) {
            const qsizetype slash = text.indexOf(u'/', i);
            const qsizetype segmentEnd = slash < 0 || slash > pathEnd ? pathEnd : slash;
            inDotSegment = isEscapedDotSegment(QStringView(text).mid(i, segmentEnd - i));
        }
        marked += text[i];
        if (text[i] == u'%' && !(i < pathEnd && inDotSegment))
            marked += QLatin1StringView("25");
    }
    return marked;
}

// After resolution every "%25" is a marked "%": every "%" of the text was marked.
[[nodiscard]] QByteArray withEscapesUnmarked(QByteArray marked)
{
    return marked.replace("%25", "%");
}

// The path and query of an http request for the URL, as the network manager sends them.
[[nodiscard]] QByteArray requestTargetOf(const QUrl &url)
{
    QByteArray target = url.adjusted(QUrl::NormalizePathSegments).path(QUrl::FullyEncoded).toLatin1();
    if (target.isEmpty())
        target = "/";
    if (url.hasQuery())
        target += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    return target;
}

// The target names the resolved URL's own path and query, in QUrl's reading (a lone "%" escaped).
[[nodiscard]] bool namesSameResource(const QByteArray &target, const QUrl &resolved)
{
    const QByteArray readable = withLonePercentsEscaped(QString::fromLatin1(target)).toLatin1();
    const QUrl sent = QUrl::fromEncoded(
        resolved.toEncoded(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment) + readable, QUrl::StrictMode);
    QUrl expected = resolved.adjusted(QUrl::RemoveFragment | QUrl::NormalizePathSegments);
    if (expected.path().isEmpty())
        expected.setPath(QStringLiteral("/"));
    return sent.isValid() && sent == expected;
}

// The reference resolved against the base as QUrl resolves them, every "%" both wrote marked.
[[nodiscard]] QUrl markedResolution(const QString &input, const QString &writtenBase, const QString &effectiveScheme,
                                    QByteArrayView queryEncoding)
{
    const QUrl markedReference(withEscapesMarked(writtenReference(input, effectiveScheme, queryEncoding)), QUrl::TolerantMode);
    if (!schemeOf(cleaned(input)).isEmpty())
        return markedReference;
    return QUrl::fromEncoded(withEscapesMarked(writtenBase).toLatin1()).resolved(markedReference);
}

} // namespace

std::optional<QUrl> parseUrl(const QString &input, const QUrl &base, QByteArrayView queryEncoding)
{
    const QString scheme = schemeOf(cleaned(input));
    const QString text = preparedReference(input, scheme.isEmpty() ? base.scheme() : scheme, queryEncoding);
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

QString writtenAddress(const QString &input, const QString &writtenBase)
{
    const QString scheme = schemeOf(cleaned(input));
    const QUrl marked = markedResolution(input, writtenBase, scheme.isEmpty() ? schemeOf(writtenBase) : scheme, "UTF-8");
    return QString::fromLatin1(withEscapesUnmarked(marked.toEncoded()));
}

QByteArray wireTarget(const QString &input, const QString &writtenBase, const QUrl &resolved, QByteArrayView queryEncoding)
{
    const QString scheme = resolved.scheme();
    if (scheme != QLatin1StringView("http") && scheme != QLatin1StringView("https"))
        return {};
    if (!input.contains(u'%') && !writtenBase.contains(u'%'))
        return {};
    const QByteArray written = withEscapesUnmarked(requestTargetOf(markedResolution(input, writtenBase, scheme, queryEncoding)));
    if (written == requestTargetOf(resolved) || !namesSameResource(written, resolved))
        return {};
    return written;
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
