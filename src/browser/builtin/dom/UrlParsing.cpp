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

// The reference as QUrl is given it: cleaned, lone "%" escaped, the query of an http-like address
// in the document's encoding, back slashes as slashes up to the query.
[[nodiscard]] QString preparedReference(const QString &input, const QString &effectiveScheme, QByteArrayView queryEncoding)
{
    QString text = withLonePercentsEscaped(cleaned(input));
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

[[nodiscard]] std::optional<QStringView> ownQuery(QStringView reference)
{
    const qsizetype fragment = reference.indexOf(u'#');
    const QStringView beforeFragment = fragment < 0 ? reference : reference.left(fragment);
    const qsizetype question = beforeFragment.indexOf(u'?');
    if (question < 0)
        return std::nullopt;
    return beforeFragment.mid(question + 1);
}

[[nodiscard]] bool isEscapeAt(QStringView text, qsizetype i)
{
    return text[i] == u'%' && i + 2 < text.size() && isHexDigit(text[i + 1]) && isHexDigit(text[i + 2]);
}

// QUrl's encoded query with the escapes the reference wrote where QUrl decoded them; nullopt
// when the two do not line up.
[[nodiscard]] std::optional<QByteArray> withWrittenEscapes(QStringView written, const QByteArray &encoded)
{
    QByteArray kept;
    kept.reserve(encoded.size() + 16);
    qsizetype j = 0;
    for (qsizetype i = 0; i < written.size();) {
        if (j >= encoded.size())
            return std::nullopt;
        if (isEscapeAt(written, i)) {
            if (encoded[j] == '%') {
                kept += encoded.mid(j, 3);
                j += 3;
            } else {
                const QByteArray escape = written.mid(i, 3).toLatin1();
                if (QByteArray::fromPercentEncoding(escape) != encoded.mid(j, 1))
                    return std::nullopt;
                kept += escape;
                ++j;
            }
            i += 3;
            continue;
        }
        if (written[i].unicode() < 0x80 && encoded[j] == written[i].toLatin1()) {
            kept += encoded[j++];
            ++i;
            continue;
        }
        // QUrl escaped the character: its UTF-8 bytes, each as "%HH".
        const qsizetype length = written[i].isHighSurrogate() && i + 1 < written.size() ? 2 : 1;
        const qsizetype escapedLength = 3 * written.mid(i, length).toUtf8().size();
        if (encoded.size() < j + escapedLength || encoded[j] != '%')
            return std::nullopt;
        kept += encoded.mid(j, escapedLength);
        j += escapedLength;
        i += length;
    }
    if (j != encoded.size())
        return std::nullopt;
    return kept;
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

QByteArray wireQuery(const QString &input, const QUrl &resolved, QByteArrayView queryEncoding)
{
    if (!resolved.hasQuery())
        return {};
    const QString reference = preparedReference(input, resolved.scheme(), queryEncoding);
    const std::optional<QStringView> written = ownQuery(reference);
    if (!written)
        return {};
    const QByteArray encoded = resolved.query(QUrl::FullyEncoded).toLatin1();
    const std::optional<QByteArray> kept = withWrittenEscapes(*written, encoded);
    return kept && *kept != encoded ? *kept : QByteArray();
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
