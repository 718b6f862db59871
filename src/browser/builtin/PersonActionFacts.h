#pragma once

#include "page/Document.h"
#include "page/PersonActions.h"

namespace dom {
class Element;
}

// Whether a recording keeps a person's click on the control (as clickedControl gives it): a link,
// a button, or an input of type submit, image, button, reset, checkbox or radio.
[[nodiscard]] bool isRecordedClick(const dom::Element &control);

// The facts of an element of the built-in engine's document, read from the page-level document
// that shows it; ScriptError(ObjectNotSet) when the document does not hold the element.
[[nodiscard]] ClickedElement builtinClickFacts(const Document &document, const dom::Element &control,
                                               bool opensNewWindow);
[[nodiscard]] ChangedField builtinFieldFacts(const Document &document, const dom::Element &field);
