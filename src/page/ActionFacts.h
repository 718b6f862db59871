#pragma once

#include "page/Document.h"
#include "page/PersonActions.h"

#include <functional>

// Tells the element a person acted on from every other element of its document.
using ElementTest = std::function<bool(Element &)>;

// What a click on the element is, read from the live document with the lookups the script
// words make (clink, clickbutton, clickbuttonbyname, clickitem, clickelementbyid).
[[nodiscard]] ClickedElement clickedElementFacts(const Document &document, const ElementTest &isTarget,
                                                 bool opensNewWindow);
// The field's value and whether fill (by name) or fillbyid finds it first.
[[nodiscard]] ChangedField changedFieldFacts(const Document &document, const ElementTest &isTarget);
