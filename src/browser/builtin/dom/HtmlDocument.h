#pragma once

#include "browser/builtin/dom/NavigationRequest.h"
#include "page/Document.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <memory>
#include <stop_token>

namespace dom {
class HtmlParser;
}

// Builds the document model of a loaded HTML page: the bytes are decoded (charset from the
// Content-Type header, a BOM or <meta charset>, windows-1252 when none), parsed as HTML5 and
// converted to the engine's own nodes. Clicks in the document go to the host, which may be
// gone by then (every click then throws RemoteUnavailable).
[[nodiscard]] std::shared_ptr<Document> buildHtmlDocument(const QByteArray &body,
                                                          const QByteArray &contentType,
                                                          const QUrl &url,
                                                          std::weak_ptr<NavigationHost> host);
// The same with this parser, stopping early when `stop` is requested: null then. The body is let
// go once it is decoded. writtenUrl is the address as its request went out, when QUrl's differs.
[[nodiscard]] std::shared_ptr<Document> buildHtmlDocument(QByteArray body, const QByteArray &contentType,
                                                          const QUrl &url, std::weak_ptr<NavigationHost> host,
                                                          dom::HtmlParser &parser, std::stop_token stop = {},
                                                          const QString &writtenUrl = {});

// A document of another kind (an image, a download): it is not an HTML document.
[[nodiscard]] std::shared_ptr<Document> buildOtherDocument(const QUrl &url, const QByteArray &contentType);

// The whole document as HTML (the serialisation of its root), for a view of the page.
[[nodiscard]] QString documentHtml(const Document &document);
// The document's title, as the title element gives it.
[[nodiscard]] QString documentTitle(const Document &document);

namespace dom {
class DocumentModel;
}

// The document model of an HTML document, for a view that shows it; null for another kind.
[[nodiscard]] std::shared_ptr<dom::DocumentModel> documentModel(const Document &document);

// Leaves nothing selected in the document.
void clearDocumentSelection(Document &document);
// The encoding the document was read in ("UTF-8", "windows-1252", ...); empty for a document
// that is not HTML.
[[nodiscard]] QString documentCharset(const Document &document);
