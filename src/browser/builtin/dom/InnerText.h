#pragma once

#include "browser/builtin/dom/DocumentModel.h"

#include <QString>

namespace dom {

// The element's text as the page renders it (the HTML innerText getter).
[[nodiscard]] QString innerText(const Element &element);

// Replaces the element's children with the text, line breaks becoming <br> elements (the HTML
// innerText setter). Elements that hold only text (textarea, title, script, style) get the
// text as it is, so that its line breaks are kept.
void setInnerText(Element &element, const QString &text, DocumentModel &model);

} // namespace dom
