#include "browser/builtin/dom/TextCodec.h"

#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>

namespace dom {
namespace {

// Bytes 0x80 to 0x9F of windows-1252; the rest of the byte range is Latin-1.
constexpr std::array<char16_t, 32> Windows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

struct Label {
    const char *label;
    const char *encoding;
};

// The labels of the Encoding standard for the encodings in use on the web.
constexpr Label Labels[] = {
    {"unicode-1-1-utf-8", "UTF-8"}, {"unicode11utf8", "UTF-8"}, {"unicode20utf8", "UTF-8"},
    {"utf-8", "UTF-8"}, {"utf8", "UTF-8"}, {"x-unicode20utf8", "UTF-8"},
    {"ansi_x3.4-1968", "windows-1252"}, {"ascii", "windows-1252"}, {"cp1252", "windows-1252"},
    {"cp819", "windows-1252"}, {"csisolatin1", "windows-1252"}, {"ibm819", "windows-1252"},
    {"iso-8859-1", "windows-1252"}, {"iso-ir-100", "windows-1252"}, {"iso8859-1", "windows-1252"},
    {"iso88591", "windows-1252"}, {"iso_8859-1", "windows-1252"}, {"iso_8859-1:1987", "windows-1252"},
    {"l1", "windows-1252"}, {"latin1", "windows-1252"}, {"us-ascii", "windows-1252"},
    {"windows-1252", "windows-1252"}, {"x-cp1252", "windows-1252"},
    {"csunicode", "UTF-16LE"}, {"iso-10646-ucs-2", "UTF-16LE"}, {"ucs-2", "UTF-16LE"},
    {"unicode", "UTF-16LE"}, {"unicodefeff", "UTF-16LE"}, {"utf-16", "UTF-16LE"}, {"utf-16le", "UTF-16LE"},
    {"unicodefffe", "UTF-16BE"}, {"utf-16be", "UTF-16BE"},
    {"x-user-defined", "x-user-defined"},
    {"csiso2022kr", "replacement"}, {"hz-gb-2312", "replacement"}, {"iso-2022-cn", "replacement"},
    {"iso-2022-cn-ext", "replacement"}, {"iso-2022-kr", "replacement"}, {"replacement", "replacement"},
    {"866", "IBM866"}, {"cp866", "IBM866"}, {"csibm866", "IBM866"}, {"ibm866", "IBM866"},
    {"csisolatin2", "ISO-8859-2"}, {"iso-8859-2", "ISO-8859-2"}, {"iso-ir-101", "ISO-8859-2"},
    {"iso8859-2", "ISO-8859-2"}, {"iso88592", "ISO-8859-2"}, {"iso_8859-2", "ISO-8859-2"},
    {"iso_8859-2:1987", "ISO-8859-2"}, {"l2", "ISO-8859-2"}, {"latin2", "ISO-8859-2"},
    {"csisolatin3", "ISO-8859-3"}, {"iso-8859-3", "ISO-8859-3"}, {"iso8859-3", "ISO-8859-3"},
    {"iso88593", "ISO-8859-3"}, {"l3", "ISO-8859-3"}, {"latin3", "ISO-8859-3"},
    {"csisolatin4", "ISO-8859-4"}, {"iso-8859-4", "ISO-8859-4"}, {"iso8859-4", "ISO-8859-4"},
    {"iso88594", "ISO-8859-4"}, {"l4", "ISO-8859-4"}, {"latin4", "ISO-8859-4"},
    {"csisolatincyrillic", "ISO-8859-5"}, {"cyrillic", "ISO-8859-5"}, {"iso-8859-5", "ISO-8859-5"},
    {"iso8859-5", "ISO-8859-5"}, {"iso88595", "ISO-8859-5"},
    {"arabic", "ISO-8859-6"}, {"iso-8859-6", "ISO-8859-6"}, {"iso8859-6", "ISO-8859-6"}, {"iso88596", "ISO-8859-6"},
    {"greek", "ISO-8859-7"}, {"iso-8859-7", "ISO-8859-7"}, {"iso8859-7", "ISO-8859-7"}, {"iso88597", "ISO-8859-7"},
    {"hebrew", "ISO-8859-8"}, {"iso-8859-8", "ISO-8859-8"}, {"iso8859-8", "ISO-8859-8"}, {"iso88598", "ISO-8859-8"},
    {"iso-8859-10", "ISO-8859-10"}, {"iso8859-10", "ISO-8859-10"}, {"l6", "ISO-8859-10"}, {"latin6", "ISO-8859-10"},
    {"iso-8859-13", "ISO-8859-13"}, {"iso8859-13", "ISO-8859-13"},
    {"iso-8859-14", "ISO-8859-14"}, {"iso8859-14", "ISO-8859-14"},
    {"iso-8859-15", "ISO-8859-15"}, {"iso8859-15", "ISO-8859-15"}, {"l9", "ISO-8859-15"}, {"latin9", "ISO-8859-15"},
    {"iso-8859-16", "ISO-8859-16"},
    {"cskoi8r", "KOI8-R"}, {"koi", "KOI8-R"}, {"koi8", "KOI8-R"}, {"koi8-r", "KOI8-R"}, {"koi8_r", "KOI8-R"},
    {"koi8-ru", "KOI8-U"}, {"koi8-u", "KOI8-U"},
    {"csmacintosh", "macintosh"}, {"mac", "macintosh"}, {"macintosh", "macintosh"}, {"x-mac-roman", "macintosh"},
    {"dos-874", "windows-874"}, {"iso-8859-11", "windows-874"}, {"tis-620", "windows-874"}, {"windows-874", "windows-874"},
    {"cp1250", "windows-1250"}, {"windows-1250", "windows-1250"}, {"x-cp1250", "windows-1250"},
    {"cp1251", "windows-1251"}, {"windows-1251", "windows-1251"}, {"x-cp1251", "windows-1251"},
    {"cp1253", "windows-1253"}, {"windows-1253", "windows-1253"}, {"x-cp1253", "windows-1253"},
    {"cp1254", "windows-1254"}, {"iso-8859-9", "windows-1254"}, {"iso8859-9", "windows-1254"},
    {"l5", "windows-1254"}, {"latin5", "windows-1254"}, {"windows-1254", "windows-1254"}, {"x-cp1254", "windows-1254"},
    {"cp1255", "windows-1255"}, {"windows-1255", "windows-1255"}, {"x-cp1255", "windows-1255"},
    {"cp1256", "windows-1256"}, {"windows-1256", "windows-1256"}, {"x-cp1256", "windows-1256"},
    {"cp1257", "windows-1257"}, {"windows-1257", "windows-1257"}, {"x-cp1257", "windows-1257"},
    {"cp1258", "windows-1258"}, {"windows-1258", "windows-1258"}, {"x-cp1258", "windows-1258"},
    {"chinese", "GBK"}, {"csgb2312", "GBK"}, {"gb2312", "GBK"}, {"gbk", "GBK"}, {"x-gbk", "GBK"},
    {"gb18030", "gb18030"},
    {"big5", "Big5"}, {"big5-hkscs", "Big5"}, {"cn-big5", "Big5"}, {"csbig5", "Big5"}, {"x-x-big5", "Big5"},
    {"cseucpkdfmtjapanese", "EUC-JP"}, {"euc-jp", "EUC-JP"}, {"x-euc-jp", "EUC-JP"},
    {"csiso2022jp", "ISO-2022-JP"}, {"iso-2022-jp", "ISO-2022-JP"},
    {"csshiftjis", "Shift_JIS"}, {"ms932", "Shift_JIS"}, {"ms_kanji", "Shift_JIS"}, {"shift-jis", "Shift_JIS"},
    {"shift_jis", "Shift_JIS"}, {"sjis", "Shift_JIS"}, {"windows-31j", "Shift_JIS"}, {"x-sjis", "Shift_JIS"},
    {"cseuckr", "EUC-KR"}, {"euc-kr", "EUC-KR"}, {"korean", "EUC-KR"}, {"windows-949", "EUC-KR"},
};

[[nodiscard]] bool isBuiltIn(QByteArrayView encoding)
{
    return encoding == Utf8Encoding || encoding == Windows1252Encoding || encoding == "UTF-16LE"
        || encoding == "UTF-16BE" || encoding == "x-user-defined" || encoding == "replacement";
}

[[nodiscard]] QString decodeWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        *out++ = QChar(value >= 0x80 && value <= 0x9F ? Windows1252High[value - 0x80] : char16_t(value));
    }
    return text;
}

[[nodiscard]] std::optional<char> windows1252Byte(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return char(codePoint);
    for (size_t i = 0; i < Windows1252High.size(); ++i)
        if (Windows1252High[i] == codePoint)
            return char(0x80 + i);
    return std::nullopt;
}

void appendCharacterReference(QByteArray &out, char32_t codePoint)
{
    out += "&#" + QByteArray::number(codePoint) + ';';
}

[[nodiscard]] QByteArray encodeWindows1252(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const char32_t codePoint : text.toUcs4()) {
        if (const auto byte = windows1252Byte(codePoint))
            out += *byte;
        else
            appendCharacterReference(out, codePoint);
    }
    return out;
}

// Qt's converters replace what they cannot encode, so each character is checked by a round trip.
[[nodiscard]] QByteArray encodeByQt(QStringView text, QByteArrayView encoding)
{
    const QByteArray name = encoding.toByteArray();
    QByteArray out;
    for (const char32_t codePoint : text.toUcs4()) {
        const QString character = QString::fromUcs4(&codePoint, 1);
        QStringEncoder encoder(name.constData(), QStringConverter::Flag::Stateless);
        const QByteArray bytes = encoder(character);
        QStringDecoder decoder(name.constData(), QStringConverter::Flag::Stateless);
        const QString back = decoder(bytes);
        if (encoder.hasError() || decoder.hasError() || back != character)
            appendCharacterReference(out, codePoint);
        else
            out += bytes;
    }
    return out;
}

} // namespace

std::optional<QByteArray> encodingForLabel(QByteArrayView label)
{
    const QByteArray wanted = label.trimmed().toByteArray().toLower();
    for (const Label &entry : Labels) {
        if (wanted != entry.label)
            continue;
        const QByteArrayView encoding(entry.encoding);
        if (!isBuiltIn(encoding) && !QStringDecoder(entry.encoding).isValid())
            return std::nullopt;
        return encoding.toByteArray();
    }
    return std::nullopt;
}

QString decodeText(QByteArrayView bytes, QByteArrayView encoding)
{
    if (encoding == Windows1252Encoding)
        return decodeWindows1252(bytes);
    if (encoding == "replacement")
        return bytes.isEmpty() ? QString() : QString(QChar::ReplacementCharacter);
    if (encoding == "x-user-defined") {
        QString text;
        text.reserve(bytes.size());
        for (const char byte : bytes) {
            const auto value = static_cast<unsigned char>(byte);
            text += QChar(value < 0x80 ? char16_t(value) : char16_t(0xF700 + value));
        }
        return text;
    }
    if (encoding == Utf8Encoding)
        return QString::fromUtf8(bytes);
    if (encoding == "UTF-16LE" || encoding == "UTF-16BE") {
        QStringDecoder decoder(encoding == "UTF-16LE" ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                               QStringConverter::Flag::Stateless);
        return decoder(bytes);
    }
    QStringDecoder decoder(encoding.toByteArray().constData(), QStringConverter::Flag::Stateless);
    return decoder.isValid() ? QString(decoder(bytes)) : decodeWindows1252(bytes);
}

QByteArray decodeTextToUtf8(QByteArrayView bytes, QByteArrayView encoding)
{
    QByteArray utf8;
    if (encoding == Windows1252Encoding) {
        constexpr qsizetype Piece = 64 * 1024;
        utf8.reserve(bytes.size());
        for (qsizetype at = 0; at < bytes.size(); at += Piece)
            utf8 += decodeWindows1252(bytes.sliced(at, std::min(Piece, bytes.size() - at))).toUtf8();
    } else {
        // Qt makes room for three bytes a character, whatever the text holds.
        utf8 = decodeText(bytes, encoding).toUtf8();
    }
    utf8.squeeze();
    return utf8;
}

QByteArray outputEncoding(QByteArrayView encoding)
{
    if (encoding == "UTF-16LE" || encoding == "UTF-16BE" || encoding == "replacement" || encoding.isEmpty())
        return Utf8Encoding.toByteArray();
    return encoding.toByteArray();
}

QByteArray encodeWithCharacterReferences(QStringView text, QByteArrayView encoding)
{
    const QByteArray output = outputEncoding(encoding);
    if (output == Utf8Encoding)
        return text.toUtf8();
    if (output == Windows1252Encoding)
        return encodeWindows1252(text);
    if (output == "x-user-defined") {
        QByteArray out;
        for (const char32_t codePoint : text.toUcs4()) {
            if (codePoint < 0x80)
                out += char(codePoint);
            else if (codePoint >= 0xF780 && codePoint <= 0xF7FF)
                out += char(codePoint - 0xF700);
            else
                appendCharacterReference(out, codePoint);
        }
        return out;
    }
    return encodeByQt(text, output);
}

} // namespace dom
