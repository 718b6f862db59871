#include "browser/builtin/dom/FormEncoding.h"

#include "browser/builtin/dom/PercentEncoding.h"
#include "browser/builtin/dom/TextCodec.h"

#include <QRandomGenerator>

namespace dom {
namespace {

// Every CR LF pair, lone CR and lone LF as CR LF.
[[nodiscard]] QString normalizeLineBreaks(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            out += QLatin1StringView("\r\n");
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else if (c == u'\n') {
            out += QLatin1StringView("\r\n");
        } else {
            out += c;
        }
    }
    return out;
}

// "Percent-encode after encoding" with the application/x-www-form-urlencoded set, space as '+'.
[[nodiscard]] QByteArray percentEncodeAfterEncoding(const QString &text, QByteArrayView encoding)
{
    QString out;
    appendPercentEncodedAfterEncoding(out, text, encoding, PercentEncodeSet::FormUrlencoded, SpaceAs::Plus);
    return out.toLatin1();
}

// Converting an entry list to name-value pairs: files by their names, line breaks as CR LF.
[[nodiscard]] std::pair<QString, QString> nameValuePair(const FormEntry &entry)
{
    return {normalizeLineBreaks(entry.name), normalizeLineBreaks(entry.isFile ? entry.fileName : entry.value)};
}

// Names and file names in a Content-Disposition header: line breaks and quotes escaped.
[[nodiscard]] QByteArray escapedHeaderValue(const QString &text, QByteArrayView encoding)
{
    QByteArray bytes = encodeWithCharacterReferences(normalizeLineBreaks(text), encoding);
    return bytes.replace('\n', "%0A").replace('\r', "%0D").replace('"', "%22");
}

} // namespace

QByteArray encodeUrlEncoded(const std::vector<FormEntry> &entries, QByteArrayView encoding)
{
    QByteArray out;
    for (const FormEntry &entry : entries) {
        const auto [name, value] = nameValuePair(entry);
        if (!out.isEmpty())
            out += '&';
        out += percentEncodeAfterEncoding(name, encoding) + '=' + percentEncodeAfterEncoding(value, encoding);
    }
    return out;
}

QByteArray encodeMultipart(const std::vector<FormEntry> &entries, QByteArrayView encoding, QByteArrayView boundary)
{
    QByteArray out;
    for (const FormEntry &entry : entries) {
        out += "--" + boundary.toByteArray() + "\r\n";
        out += "Content-Disposition: form-data; name=\"" + escapedHeaderValue(entry.name, encoding) + '"';
        if (entry.isFile) {
            out += "; filename=\"" + escapedHeaderValue(entry.fileName, encoding) + "\"\r\n";
            out += "Content-Type: " + entry.fileType + "\r\n\r\n";
        } else {
            out += "\r\n\r\n" + encodeWithCharacterReferences(normalizeLineBreaks(entry.value), encoding);
        }
        out += "\r\n";
    }
    out += "--" + boundary.toByteArray() + "--\r\n";
    return out;
}

QByteArray newMultipartBoundary()
{
    static constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray boundary = "----WebKitFormBoundary";
    for (int i = 0; i < 16; ++i)
        boundary += Alphabet[QRandomGenerator::global()->bounded(int(sizeof(Alphabet) - 1))];
    return boundary;
}

QByteArray encodeTextPlain(const std::vector<FormEntry> &entries, QByteArrayView encoding)
{
    QString text;
    for (const FormEntry &entry : entries) {
        const auto [name, value] = nameValuePair(entry);
        text += name + u'=' + value + QLatin1StringView("\r\n");
    }
    return encodeWithCharacterReferences(text, encoding);
}

} // namespace dom
