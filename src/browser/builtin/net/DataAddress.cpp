#include "browser/builtin/net/DataAddress.h"

namespace {

[[nodiscard]] bool isAsciiWhitespace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

// ";base64" at the end of the type, spaces allowed before the word: taken off, true.
[[nodiscard]] bool takeBase64Mark(QByteArray &type)
{
    const qsizetype semicolon = type.lastIndexOf(';');
    if (semicolon < 0 || type.mid(semicolon + 1).trimmed().toLower() != "base64")
        return false;
    type.truncate(semicolon);
    return true;
}

} // namespace

std::optional<DataContent> decodeDataAddress(const QUrl &url)
{
    const QByteArray text = url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveFragment);
    const qsizetype comma = text.indexOf(',');
    if (comma < 0)
        return std::nullopt;
    QByteArray type = QByteArray::fromPercentEncoding(text.left(comma)).trimmed();
    QByteArray bytes = QByteArray::fromPercentEncoding(text.mid(comma + 1));
    if (takeBase64Mark(type)) {
        bytes.removeIf(isAsciiWhitespace);
        bytes = QByteArray::fromBase64(bytes);
    }
    if (type.startsWith(';'))
        type.prepend("text/plain");
    if (type.isEmpty())
        type = "text/plain;charset=US-ASCII";
    return DataContent{std::move(type), std::move(bytes)};
}
