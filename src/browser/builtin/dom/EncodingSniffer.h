#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace dom {

// How sure the encoding of a page is: a byte order mark or the Content-Type header make it
// certain; one found by the prescan or taken for want of any is tentative, and a <meta> the
// parser meets may still change it.
enum class EncodingConfidence : quint8 { Tentative, Certain };

// A page's bytes ready for the HTML parser: UTF-8, and the encoding they were read in.
struct SniffedPage {
    QByteArray utf8;
    QByteArray encoding;
    EncodingConfidence confidence = EncodingConfidence::Certain;
};

// Decodes a page as browsers do before parsing: a byte order mark, else the charset of the
// Content-Type header, else a <meta> charset in the first 1024 bytes, else windows-1252.
[[nodiscard]] SniffedPage decodeHtmlBytes(const QByteArray &body, QByteArrayView contentType);
// Decodes a page in this encoding, for certain.
[[nodiscard]] SniffedPage decodeHtmlBytesAs(const QByteArray &body, QByteArray encoding);

// "Change the encoding" for a page read in `current` with tentative confidence whose parser met
// a <meta> declaring `declared`: the encoding to read the page in again, or nullopt when it
// stays as it is.
[[nodiscard]] std::optional<QByteArray> changedEncoding(QByteArrayView current, QByteArrayView declared);

// The encoding a <meta> element's charset attribute, or else its http-equiv="content-type" with
// a content attribute, declares; nullopt for none or a label of no encoding known here.
[[nodiscard]] std::optional<QByteArray> metaElementEncoding(std::optional<QByteArrayView> charset,
                                                            std::optional<QByteArrayView> httpEquiv,
                                                            std::optional<QByteArrayView> content);

// The charset parameter of a Content-Type value (unquoted), or an empty text.
[[nodiscard]] QByteArray charsetParameter(QByteArrayView contentType);

// The encoding a <meta charset> or <meta http-equiv=content-type> in these bytes declares,
// found by the HTML prescan of a byte stream.
[[nodiscard]] std::optional<QByteArray> prescanForMetaCharset(QByteArrayView bytes);

// The charset a meta content attribute names ("text/html; charset=utf-8"), or nullopt.
[[nodiscard]] std::optional<QByteArray> charsetFromMetaContent(QByteArrayView content);

} // namespace dom
