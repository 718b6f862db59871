#pragma once

#include "browser/builtin/dom/Node.h"

#include <QString>

#include <vector>

namespace dom {

// The HTML fragment serialisation of the node's children (innerHTML; for a template element,
// of its contents; for the document, the whole page).
[[nodiscard]] QString serializeChildren(const Node &node);

// The attribute that numbers each element in the serialisation a view lays out.
inline constexpr char DisplayIndexAttribute[] = "data-navrelay-index";

// The page as a view lays it out, and the elements it numbers: element i carries
// DisplayIndexAttribute="i".
struct DisplayHtml {
    QString html;
    std::vector<Element *> elements;
};

// The document's serialisation for a view: every element numbered; without what a view never
// shows (comments, script and iframe text, template contents) nor the contents of the controls
// it draws from their state (select, textarea); NUL characters as U+FFFD.
[[nodiscard]] DisplayHtml serializeForDisplay(Document &document);

} // namespace dom
