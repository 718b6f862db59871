#pragma once

#include "browser/builtin/dom/Node.h"

namespace dom {

// Whether the form's controls satisfy their constraints (required, pattern, email and URL
// syntax, number bounds). A browser does not submit a form that fails them: it shows the user
// what is wrong instead.
[[nodiscard]] bool satisfiesConstraints(const Element &form);

} // namespace dom
