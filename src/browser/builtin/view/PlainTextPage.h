#pragma once

#include "browser/builtin/dom/HtmlSerializer.h"

#include <QString>

namespace dom {
class DocumentModel;
}

// A page's text as it reads (its innerText, the first part of it for a long page) under a note,
// as markup to lay out instead of the page when the page's own layout was given up: laying this
// out takes time in proportion to the text. No box maps back to the page's elements.
[[nodiscard]] dom::DisplayHtml plainTextDisplay(const dom::DocumentModel &model, const QString &note);
