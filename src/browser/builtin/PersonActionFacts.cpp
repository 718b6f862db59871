#include "browser/builtin/PersonActionFacts.h"

#include "browser/builtin/dom/ElementHandle.h"
#include "browser/builtin/dom/FormControls.h"
#include "browser/builtin/dom/Node.h"
#include "page/ActionFacts.h"

namespace {

ElementTest isHandleOf(const dom::Element &element)
{
    return [&element](Element &candidate) {
        const auto *handle = dynamic_cast<const dom::ElementHandle *>(&candidate);
        return handle && &handle->element() == &element;
    };
}

} // namespace

bool isRecordedClick(const dom::Element &control)
{
    if (!control.is(QLatin1StringView("input")))
        return control.isAnyOf({"a", "area", "button"});
    const QString type = dom::inputType(control);
    for (const char *recorded : {"submit", "image", "button", "reset", "checkbox", "radio"})
        if (type == QLatin1StringView(recorded))
            return true;
    return false;
}

ClickedElement builtinClickFacts(const Document &document, const dom::Element &control, bool opensNewWindow)
{
    return clickedElementFacts(document, isHandleOf(control), opensNewWindow);
}

ChangedField builtinFieldFacts(const Document &document, const dom::Element &field)
{
    return changedFieldFacts(document, isHandleOf(field));
}
