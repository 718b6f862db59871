#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace dom {

// A page's bytes ready for the HTML parser: UTF-8, and the encoding they were read in.
struct SniffedPage {
    QByteArray utf8;
    QByteArray encoding;
};

// Decodes a page as browsers do before parsing: a byte order mark, else the charset of the
// Content-Type header, else a <meta> charset in the first 1024 bytes, else windows-1252.
[[nodiscard]] SniffedPage decodeHtmlBytes(const QByteArray &body, QByteArrayView contentType);

// The charset parameter of a Content-Type value (unquoted), or an empty text.
[[nodiscard]] QByteArray charsetParameter(QByteArrayView contentType);

// The encoding a <meta charset> or <meta http-equiv=content-type> in these bytes declares,
// found by the HTML prescan of a byte stream.
[[nodiscard]] std::optional<QByteArray> prescanForMetaCharset(QByteArrayView bytes);

// The charset a meta content attribute names ("text/html; charset=utf-8"), or nullopt.
[[nodiscard]] std::optional<QByteArray> charsetFromMetaContent(QByteArrayView content);

} // namespace dom
