#include "browser/builtin/dom/EncodingSniffer.h"

#include "browser/builtin/dom/TextCodec.h"

#include <QList>

namespace dom {
namespace {

constexpr qsizetype PrescanLength = 1024;

[[nodiscard]] bool isSpaceByte(char byte)
{
    return byte == '\t' || byte == '\n' || byte == '\f' || byte == '\r' || byte == ' ';
}

[[nodiscard]] bool isAsciiLetter(char byte)
{
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z');
}

[[nodiscard]] char asciiLower(char byte)
{
    return byte >= 'A' && byte <= 'Z' ? char(byte + 32) : byte;
}

[[nodiscard]] bool startsWithCaseless(QByteArrayView bytes, qsizetype position, QByteArrayView prefix)
{
    if (bytes.size() - position < prefix.size())
        return false;
    for (qsizetype i = 0; i < prefix.size(); ++i)
        if (asciiLower(bytes[position + i]) != prefix[i])
            return false;
    return true;
}

struct PrescanAttribute {
    QByteArray name;
    QByteArray value;
};

// The "get an attribute" steps of the prescan; nullopt when no attribute follows (the
// position is then at the '>' or past the end).
class AttributeReader {
public:
    AttributeReader(QByteArrayView bytes, qsizetype &position) : m_bytes(bytes), m_pos(position) {}

    [[nodiscard]] std::optional<PrescanAttribute> next()
    {
        while (m_pos < m_bytes.size() && (isSpaceByte(at()) || at() == '/'))
            ++m_pos;
        if (m_pos >= m_bytes.size() || at() == '>')
            return std::nullopt;
        PrescanAttribute attribute;
        // Step 4: the name, up to '=', white space, '/' or '>'.
        for (; m_pos < m_bytes.size(); ++m_pos) {
            const char byte = at();
            if (byte == '=' && !attribute.name.isEmpty()) {
                ++m_pos;
                return readValue(std::move(attribute));
            }
            if (isSpaceByte(byte))
                break;
            if (byte == '/' || byte == '>')
                return attribute;
            attribute.name += asciiLower(byte);
        }
        // Steps 5 and 6: white space, then '=' or the end of a value-less attribute.
        skipSpaces();
        if (m_pos >= m_bytes.size())
            return std::nullopt;
        if (at() != '=')
            return attribute;
        ++m_pos;
        return readValue(std::move(attribute));
    }

private:
    [[nodiscard]] char at() const { return m_bytes[m_pos]; }

    void skipSpaces()
    {
        while (m_pos < m_bytes.size() && isSpaceByte(at()))
            ++m_pos;
    }

    // Steps 9 to 11: a quoted or unquoted value.
    [[nodiscard]] std::optional<PrescanAttribute> readValue(PrescanAttribute attribute)
    {
        skipSpaces();
        if (m_pos >= m_bytes.size())
            return std::nullopt;
        const char first = at();
        if (first == '"' || first == '\'') {
            for (++m_pos; m_pos < m_bytes.size(); ++m_pos) {
                if (at() == first) {
                    ++m_pos;
                    return attribute;
                }
                attribute.value += asciiLower(at());
            }
            return std::nullopt;
        }
        if (first == '>')
            return attribute;
        for (; m_pos < m_bytes.size(); ++m_pos) {
            if (isSpaceByte(at()) || at() == '>')
                return attribute;
            attribute.value += asciiLower(at());
        }
        return std::nullopt;
    }

    QByteArrayView m_bytes;
    qsizetype &m_pos;
};

// The attributes of one <meta> start tag, as the prescan weighs them.
[[nodiscard]] std::optional<QByteArray> metaCharset(AttributeReader &reader)
{
    QList<QByteArray> seen;
    bool gotPragma = false;
    std::optional<bool> needPragma;
    std::optional<QByteArray> charset;
    while (const auto attribute = reader.next()) {
        if (seen.contains(attribute->name))
            continue;
        seen.append(attribute->name);
        if (attribute->name == "http-equiv" && attribute->value == "content-type") {
            gotPragma = true;
        } else if (attribute->name == "content" && !charset) {
            if (const auto found = charsetFromMetaContent(attribute->value)) {
                charset = encodingForLabel(*found);
                needPragma = true;
            }
        } else if (attribute->name == "charset") {
            charset = encodingForLabel(attribute->value);
            needPragma = false;
        }
    }
    if (!needPragma || (*needPragma && !gotPragma) || !charset)
        return std::nullopt;
    if (charset->startsWith("UTF-16"))
        return Utf8Encoding.toByteArray();
    if (*charset == "x-user-defined")
        return Windows1252Encoding.toByteArray();
    return charset;
}

[[nodiscard]] qsizetype indexAfter(QByteArrayView bytes, QByteArrayView needle, qsizetype from)
{
    const qsizetype found = bytes.indexOf(needle, from);
    return found < 0 ? bytes.size() : found + needle.size();
}

// The bytes (the body, or a part of it) in UTF-8. UTF-8 goes to the parser as it is: the parser
// replaces invalid sequences itself.
[[nodiscard]] QByteArray decodedText(const QByteArray &body, QByteArrayView bytes, QByteArrayView encoding)
{
    if (encoding != Utf8Encoding)
        return decodeTextToUtf8(bytes, encoding);
    return bytes.size() == body.size() ? body : bytes.toByteArray();
}

[[nodiscard]] std::optional<QByteArray> encodingFromBom(const QByteArray &body)
{
    if (body.startsWith("\xEF\xBB\xBF"))
        return Utf8Encoding.toByteArray();
    if (body.startsWith("\xFE\xFF"))
        return QByteArray("UTF-16BE");
    if (body.startsWith("\xFF\xFE"))
        return QByteArray("UTF-16LE");
    return std::nullopt;
}

} // namespace

QByteArray charsetParameter(QByteArrayView contentType)
{
    const QList<QByteArray> parts = contentType.toByteArray().split(';');
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QByteArray parameter = parts[i].trimmed();
        const qsizetype equals = parameter.indexOf('=');
        if (equals < 0 || parameter.left(equals).trimmed().toLower() != "charset")
            continue;
        QByteArray value = parameter.mid(equals + 1).trimmed();
        if (value.startsWith('"')) {
            QByteArray unquoted;
            for (qsizetype j = 1; j < value.size() && value[j] != '"'; ++j)
                unquoted += value[j] == '\\' && j + 1 < value.size() ? value[++j] : value[j];
            value = unquoted;
        }
        return value;
    }
    return {};
}

std::optional<QByteArray> charsetFromMetaContent(QByteArrayView content)
{
    qsizetype position = 0;
    while (true) {
        qsizetype found = -1;
        for (qsizetype i = position; i + 7 <= content.size() && found < 0; ++i)
            if (startsWithCaseless(content, i, "charset"))
                found = i;
        if (found < 0)
            return std::nullopt;
        position = found + 7;
        while (position < content.size() && isSpaceByte(content[position]))
            ++position;
        if (position < content.size() && content[position] == '=')
            break;
    }
    ++position;
    while (position < content.size() && isSpaceByte(content[position]))
        ++position;
    if (position >= content.size())
        return std::nullopt;
    const char first = content[position];
    if (first == '"' || first == '\'') {
        const qsizetype end = content.indexOf(first, position + 1);
        if (end < 0)
            return std::nullopt;
        return content.sliced(position + 1, end - position - 1).toByteArray();
    }
    qsizetype end = position;
    while (end < content.size() && !isSpaceByte(content[end]) && content[end] != ';')
        ++end;
    return content.sliced(position, end - position).toByteArray();
}

std::optional<QByteArray> prescanForMetaCharset(QByteArrayView input)
{
    const QByteArrayView bytes = input.first(std::min(input.size(), PrescanLength));
    qsizetype position = 0;
    while (position < bytes.size()) {
        if (bytes.sliced(position).startsWith("<!--")) {
            // The comment ends at a '>' preceded by "--", which may overlap the opening "<!--".
            position = indexAfter(bytes, "-->", position + 2);
            continue;
        }
        if (startsWithCaseless(bytes, position, "<meta") && position + 5 < bytes.size()
            && (isSpaceByte(bytes[position + 5]) || bytes[position + 5] == '/')) {
            position += 5;
            AttributeReader reader(bytes, position);
            if (auto charset = metaCharset(reader))
                return charset;
            ++position;
            continue;
        }
        const bool startTag = position + 1 < bytes.size() && bytes[position] == '<' && isAsciiLetter(bytes[position + 1]);
        const bool endTag = position + 2 < bytes.size() && bytes.sliced(position).startsWith("</")
            && isAsciiLetter(bytes[position + 2]);
        if (startTag || endTag) {
            while (position < bytes.size() && !isSpaceByte(bytes[position]) && bytes[position] != '>')
                ++position;
            AttributeReader reader(bytes, position);
            while (reader.next()) {
            }
            ++position;
            continue;
        }
        if (bytes.sliced(position).startsWith("<!") || bytes.sliced(position).startsWith("</")
            || bytes.sliced(position).startsWith("<?")) {
            position = indexAfter(bytes, ">", position);
            continue;
        }
        ++position;
    }
    return std::nullopt;
}

SniffedPage decodeHtmlBytes(const QByteArray &body, QByteArrayView contentType)
{
    if (auto bom = encodingFromBom(body)) {
        const QByteArrayView bytes = QByteArrayView(body).sliced(*bom == Utf8Encoding ? 3 : 2);
        return {decodedText(body, bytes, *bom), *bom, EncodingConfidence::Certain};
    }
    if (auto declared = encodingForLabel(charsetParameter(contentType)))
        return decodeHtmlBytesAs(body, *declared);
    QByteArray encoding = prescanForMetaCharset(body).value_or(Windows1252Encoding.toByteArray());
    return {decodedText(body, body, encoding), encoding, EncodingConfidence::Tentative};
}

SniffedPage decodeHtmlBytesAs(const QByteArray &body, QByteArray encoding)
{
    return {decodedText(body, body, encoding), encoding, EncodingConfidence::Certain};
}

std::optional<QByteArray> changedEncoding(QByteArrayView current, QByteArrayView declared)
{
    if (current.startsWith("UTF-16"))
        return std::nullopt;
    QByteArray encoding = declared.toByteArray();
    if (encoding.startsWith("UTF-16"))
        encoding = Utf8Encoding.toByteArray();
    else if (encoding == "x-user-defined")
        encoding = Windows1252Encoding.toByteArray();
    if (encoding == current)
        return std::nullopt;
    return encoding;
}

std::optional<QByteArray> metaElementEncoding(std::optional<QByteArrayView> charset, std::optional<QByteArrayView> httpEquiv,
                                              std::optional<QByteArrayView> content)
{
    if (charset) {
        if (auto encoding = encodingForLabel(*charset))
            return encoding;
    }
    if (!httpEquiv || !content || httpEquiv->compare("content-type", Qt::CaseInsensitive) != 0)
        return std::nullopt;
    const auto label = charsetFromMetaContent(*content);
    return label ? encodingForLabel(*label) : std::nullopt;
}

} // namespace dom
