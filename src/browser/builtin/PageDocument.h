#pragma once

#include "browser/builtin/net/LoadedResponse.h"
#include "page/Document.h"

#include <QByteArray>
#include <QUrl>

#include <memory>
#include <stop_token>

namespace dom {
class HtmlParser;
}

// How a browser shows an answer: as a page, as plain text, or as something else (an image,
// a download).
enum class ContentKind { Html, Text, Other };

// The kind of an answer from its Content-Type; without one, from the file name and the first
// bytes, as browsers sniff.
[[nodiscard]] ContentKind contentKindOf(const QByteArray &contentType, const QUrl &url, const QByteArray &body);

// Plain text as the HTML page a browser makes of it: the text, decoded by its charset or BOM,
// in one <pre>. The result is UTF-8.
[[nodiscard]] QByteArray textAsHtml(const QByteArray &body, const QByteArray &contentType);

// The document the answer becomes: its page, its text, another kind of document, or the error
// page of a failed load, parsed with this parser; null when `stop` is requested on the way.
// `keepsDocument` answers are not passed here. The answer is taken, so that its body goes as
// soon as the page no longer needs it.
[[nodiscard]] std::shared_ptr<Document> pageDocument(LoadedResponse response, std::weak_ptr<NavigationHost> host,
                                                     dom::HtmlParser &parser, std::stop_token stop);
