#include "browser/builtin/dom/PercentEncoding.h"

#include "browser/builtin/dom/TextCodec.h"

namespace dom {
namespace {

constexpr char HexDigits[] = "0123456789ABCDEF";

[[nodiscard]] bool isAsciiAlphanumeric(char32_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

[[nodiscard]] bool isInSet(char32_t c, PercentEncodeSet set)
{
    if (c < 0x20 || c > 0x7E)
        return true;
    switch (set) {
    case PercentEncodeSet::C0Control: return false;
    case PercentEncodeSet::Fragment: return c == ' ' || c == '"' || c == '<' || c == '>' || c == '`';
    case PercentEncodeSet::FormUrlencoded: return !(isAsciiAlphanumeric(c) || c == '*' || c == '-' || c == '.' || c == '_');
    case PercentEncodeSet::Query:
    case PercentEncodeSet::SpecialQuery:
    case PercentEncodeSet::Path:
    case PercentEncodeSet::Userinfo: break;
    }
    if (c == ' ' || c == '"' || c == '#' || c == '<' || c == '>')
        return true;
    if (set == PercentEncodeSet::Query)
        return false;
    if (set == PercentEncodeSet::SpecialQuery)
        return c == '\'';
    if (c == '?' || c == '^' || c == '`' || c == '{' || c == '}')
        return true;
    if (set == PercentEncodeSet::Path)
        return false;
    return c == '/' || c == ':' || c == ';' || c == '=' || c == '@' || (c >= '[' && c <= ']') || c == '|';
}

void appendEscapedByte(QString &out, unsigned char byte)
{
    out += u'%';
    out += QLatin1Char(HexDigits[byte >> 4]);
    out += QLatin1Char(HexDigits[byte & 0xF]);
}

void appendByte(QString &out, unsigned char byte, PercentEncodeSet set, SpaceAs space)
{
    if (byte == ' ' && space == SpaceAs::Plus)
        out += u'+';
    else if (isInSet(byte, set))
        appendEscapedByte(out, byte);
    else
        out += QLatin1Char(char(byte));
}

// The code point at the position (a lone surrogate as U+FFFD) and how many units it takes.
[[nodiscard]] std::pair<char32_t, qsizetype> codePointAt(QStringView text, qsizetype at)
{
    const QChar c = text[at];
    if (c.isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate())
        return {QChar::surrogateToUcs4(c, text[at + 1]), 2};
    return {c.isSurrogate() ? char32_t(QChar::ReplacementCharacter) : char32_t(c.unicode()), 1};
}

void appendUtf8Escaped(QString &out, char32_t codePoint)
{
    char bytes[4];
    int length = 0;
    if (codePoint < 0x800) {
        bytes[length++] = char(0xC0 | (codePoint >> 6));
    } else if (codePoint < 0x10000) {
        bytes[length++] = char(0xE0 | (codePoint >> 12));
        bytes[length++] = char(0x80 | ((codePoint >> 6) & 0x3F));
    } else {
        bytes[length++] = char(0xF0 | (codePoint >> 18));
        bytes[length++] = char(0x80 | ((codePoint >> 12) & 0x3F));
        bytes[length++] = char(0x80 | ((codePoint >> 6) & 0x3F));
    }
    bytes[length++] = char(0x80 | (codePoint & 0x3F));
    for (int i = 0; i < length; ++i)
        appendEscapedByte(out, static_cast<unsigned char>(bytes[i]));
}

[[nodiscard]] int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

void appendPercentEncoded(QString &out, QStringView text, PercentEncodeSet set)
{
    for (qsizetype at = 0; at < text.size();) {
        const auto [codePoint, length] = codePointAt(text, at);
        at += length;
        if (codePoint < 0x80)
            appendByte(out, static_cast<unsigned char>(codePoint), set, SpaceAs::Escape);
        else
            appendUtf8Escaped(out, codePoint);
    }
}

void appendPercentEncodedAfterEncoding(QString &out, QStringView text, QByteArrayView encoding, PercentEncodeSet set,
                                       SpaceAs space)
{
    const bool utf8 = outputEncoding(encoding) == Utf8Encoding;
    for (qsizetype at = 0; at < text.size();) {
        const auto [codePoint, length] = codePointAt(text, at);
        const QStringView character = text.sliced(at, length);
        at += length;
        if (codePoint < 0x80) {
            appendByte(out, static_cast<unsigned char>(codePoint), set, space);
        } else if (utf8) {
            appendUtf8Escaped(out, codePoint);
        } else if (const QByteArray bytes = encodeWithCharacterReferences(character, encoding); bytes.startsWith("&#")) {
            out += QLatin1StringView("%26%23") + QString::number(codePoint) + QLatin1StringView("%3B");
        } else {
            for (const char byte : bytes)
                appendByte(out, static_cast<unsigned char>(byte), set, space);
        }
    }
}

QByteArray percentDecode(QStringView text)
{
    const QByteArray bytes = text.toUtf8();
    if (!bytes.contains('%'))
        return bytes;
    QByteArray decoded;
    decoded.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const int high = bytes[i] == '%' && i + 2 < bytes.size() ? hexValue(bytes[i + 1]) : -1;
        const int low = high >= 0 ? hexValue(bytes[i + 2]) : -1;
        if (low < 0) {
            decoded += bytes[i];
            continue;
        }
        decoded += char(high * 16 + low);
        i += 2;
    }
    return decoded;
}

} // namespace dom
