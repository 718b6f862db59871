#pragma once

#include "browser/builtin/dom/HtmlSerializer.h"

#include <QString>

namespace dom {
class DocumentModel;
}

// A page's text as it reads: its innerText, the first part of it for a long page.
[[nodiscard]] QString pageText(const dom::DocumentModel &model);

// The text under a note, as markup to lay out instead of a page whose own layout was given up:
// laying this out takes time in proportion to the text. No box maps back to the page's elements.
[[nodiscard]] dom::DisplayHtml plainTextDisplay(const QString &note, const QString &text);
