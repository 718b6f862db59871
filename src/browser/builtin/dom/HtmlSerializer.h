#pragma once

#include "browser/builtin/dom/Node.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <vector>

namespace dom {

// The HTML fragment serialisation of the node's children (innerHTML; for a template element,
// of its contents; for the document, the whole page).
[[nodiscard]] QString serializeChildren(const Node &node);
// The same serialisation handed to `read` in pieces of a few thousand characters as it is
// written, until `read` returns false.
void readSerializedChildren(const Node &node, const std::function<bool(QStringView)> &read);

// The attribute that numbers each element in the serialisation a view lays out.
inline constexpr char DisplayIndexAttribute[] = "data-navrelay-index";

// The page as a view lays it out, and the elements it numbers: element i carries
// DisplayIndexAttribute="i".
struct DisplayHtml {
    QString html;
    std::vector<Element *> elements;
};

// How much of a page a view lays out: past maxElements elements the page is cut (what follows
// is left out, the open elements are closed); an element nested deeper than maxDepth is left
// out with its tags, what it holds shown in its place.
struct DisplayBounds {
    size_t maxElements = SIZE_MAX;
    size_t maxDepth = SIZE_MAX;
};

// The document's serialisation for a view: every element numbered; without what a view never
// shows (comments, script and iframe text, template contents) nor the contents of the controls
// it draws from their state (select, textarea); NUL characters as U+FFFD.
[[nodiscard]] DisplayHtml serializeForDisplay(Document &document, DisplayBounds bounds = {});

} // namespace dom
