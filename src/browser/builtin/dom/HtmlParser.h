#pragma once

#include "browser/builtin/dom/Node.h"

#include <QByteArray>

#include <memory>

namespace dom {

// Parses UTF-8 HTML (NUL bytes and invalid sequences included) by the HTML5 tree construction
// rules into a document tree.
[[nodiscard]] std::unique_ptr<Document> parseHtml(const QByteArray &utf8);

} // namespace dom
