#pragma once

#include "browser/builtin/dom/Node.h"

#include <QString>

namespace dom {

// The HTML fragment serialisation of the node's children (innerHTML; for a template element,
// of its contents; for the document, the whole page).
[[nodiscard]] QString serializeChildren(const Node &node);

} // namespace dom
