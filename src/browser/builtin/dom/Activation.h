#pragma once

#include "browser/builtin/dom/DocumentModel.h"
#include "browser/builtin/dom/NavigationRequest.h"

#include <optional>

namespace dom {

// A user's click on the element in a page without scripts: the activation behaviour of the
// element or of the nearest ancestor that has one (a link, a button, a checkbox, a label, a
// summary) runs, unless that is a disabled control. Throws ScriptError(RemoteUnavailable)
// when the window that showed the document is gone.
void clickElement(Element &element, DocumentModel &model);

// Enter in a field (implicit submission): its form's default button is clicked; a form without
// one is submitted when this is its only field that takes a line of text.
void submitImplicitly(Element &field, DocumentModel &model);

// The link, button or input whose activation behaviour a user's click on the element runs: the
// element or its nearest ancestor that has one, a label's control in place of the label; null
// when the click runs none of theirs (plain text, a text field, a disabled control, a summary).
[[nodiscard]] Element *clickedControl(Element &element);
// The button Enter in the field clicks: its form's default button, or null.
[[nodiscard]] Element *defaultButton(const Element &field);
// What Enter in the field sends when its form has no default button: the form itself, when this
// is its only field that takes a line of text; nullopt otherwise.
[[nodiscard]] std::optional<NavigationRequest> implicitSubmission(const Element &field, const DocumentModel &model);

} // namespace dom
