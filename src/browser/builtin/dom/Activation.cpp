#include "browser/builtin/dom/Activation.h"

#include "browser/builtin/dom/AsciiText.h"
#include "browser/builtin/dom/FormControls.h"
#include "browser/builtin/dom/FormSubmission.h"
#include "browser/builtin/dom/TreeWalk.h"
#include "browser/builtin/dom/UrlParsing.h"

#include <algorithm>

namespace dom {
namespace {

[[nodiscard]] bool isLink(const Element &element)
{
    return (element.is(QLatin1StringView("a")) || element.is(QLatin1StringView("area"))) && element.hasAttribute(u"href");
}

// Inputs whose click does something of its own (checks, submits, resets, opens a picker);
// a click on a text field goes on to the link or label around it.
[[nodiscard]] bool isActivatableInput(const Element &element)
{
    if (!element.is(QLatin1StringView("input")))
        return false;
    const QString type = inputType(element);
    for (const char *activatable : {"checkbox", "radio", "submit", "image", "reset", "button", "file", "color"})
        if (type == QLatin1StringView(activatable))
            return true;
    return false;
}

[[nodiscard]] bool isSummaryOfDetails(const Element &element)
{
    if (!element.is(QLatin1StringView("summary")))
        return false;
    const Element *details = element.parentElement();
    if (!details || !details->is(QLatin1StringView("details")))
        return false;
    for (const auto &child : details->children())
        if (const Element *summary = child->asElement(); summary && summary->is(QLatin1StringView("summary")))
            return summary == &element;
    return false;
}

[[nodiscard]] bool hasActivationBehavior(const Element &element)
{
    return isLink(element) || isActivatableInput(element) || element.is(QLatin1StringView("button"))
        || element.is(QLatin1StringView("label")) || isSummaryOfDetails(element);
}

[[nodiscard]] bool isLabelable(const Element &element)
{
    if (element.is(QLatin1StringView("input")))
        return inputType(element) != QLatin1StringView("hidden");
    return element.isAnyOf({"button", "meter", "output", "progress", "select", "textarea"});
}

// The control a label is for: the element its for attribute names, else the first labelable
// element inside it.
[[nodiscard]] Element *labeledControl(Element &label)
{
    if (const QString *id = label.attribute(u"for")) {
        Element *control = elementById(treeRoot(label), *id);
        return control && isLabelable(*control) ? control : nullptr;
    }
    Element *found = nullptr;
    forEachElement(label, [&found](Element &element) {
        if (!isLabelable(element))
            return Walk::Continue;
        found = &element;
        return Walk::Stop;
    });
    return found;
}

void followHyperlink(const Element &link, DocumentModel &model)
{
    const QString href = link.attributeOrEmpty(u"href");
    const auto url = model.resolveUrl(href);
    // No scripts run here, so a javascript: link does nothing.
    if (!url || url->scheme == u"javascript")
        return;
    NavigationRequest request;
    setRequestUrl(request, *url);
    if (!request.url.isValid())
        return;
    request.initiator = model.url();
    request.target = elementTarget(link.attribute(u"target"), model);
    const QStringList relations = splitOnAsciiWhitespace(asciiLowercase(link.attributeOrEmpty(u"rel")));
    const bool noReferrer = relations.contains(QStringLiteral("noreferrer"));
    if (!noReferrer)
        request.referrer = documentReferrer(model);
    model.host()->followHyperlink(request);
}

void submitFormOwner(const Element &submitter, DocumentModel &model)
{
    const Element *form = formOwner(submitter);
    if (!form)
        return;
    if (const auto request = formSubmission(*form, submitter, model))
        model.host()->followHyperlink(*request);
}

void resetFormOwner(const Element &control)
{
    Element *form = formOwner(control);
    if (!form)
        return;
    for (Element *field : formControls(*form))
        resetControl(*field);
}

void activateInput(Element &input, DocumentModel &model)
{
    const QString type = inputType(input);
    if (type == QLatin1StringView("checkbox"))
        setCheckedness(input, !checkedness(input));
    else if (type == QLatin1StringView("radio"))
        setCheckedness(input, true);
    else if (type == QLatin1StringView("submit") || type == QLatin1StringView("image"))
        submitFormOwner(input, model);
    else if (type == QLatin1StringView("reset"))
        resetFormOwner(input);
}

void activate(Element &target, DocumentModel &model)
{
    if (isLink(target)) {
        followHyperlink(target, model);
    } else if (target.is(QLatin1StringView("input"))) {
        activateInput(target, model);
    } else if (target.is(QLatin1StringView("button"))) {
        const QString type = buttonType(target);
        if (type == QLatin1StringView("submit"))
            submitFormOwner(target, model);
        else if (type == QLatin1StringView("reset"))
            resetFormOwner(target);
    } else if (target.is(QLatin1StringView("label"))) {
        // The control is clicked as a user's click on it would be; it is never a label itself.
        if (Element *control = labeledControl(target); control && !isDisabled(*control) && hasActivationBehavior(*control))
            activate(*control, model);
    } else if (isSummaryOfDetails(target)) {
        Element &details = *target.parentElement();
        if (details.hasAttribute(u"open"))
            details.removeAttribute(u"open");
        else
            details.setAttribute(QStringLiteral("open"), QString());
    }
}

[[nodiscard]] bool isSubmitButton(const Element &control)
{
    if (control.is(QLatin1StringView("button")))
        return buttonType(control) == QLatin1StringView("submit");
    if (!control.is(QLatin1StringView("input")))
        return false;
    const QString type = inputType(control);
    return type == QLatin1StringView("submit") || type == QLatin1StringView("image");
}

// The input types whose Enter key submits a form that has no submit button, when there is only one.
[[nodiscard]] bool blocksImplicitSubmission(const Element &control)
{
    if (!control.is(QLatin1StringView("input")))
        return false;
    const QString type = inputType(control);
    for (const char *blocking : {"text", "search", "url", "tel", "email", "password", "date", "month", "week",
                                 "time", "datetime-local", "number"})
        if (type == QLatin1StringView(blocking))
            return true;
    return false;
}

// The element whose activation behaviour a click on the element runs, or null.
[[nodiscard]] Element *activationTarget(Element &element)
{
    if (isDisabled(element))
        return nullptr;
    Element *target = &element;
    while (target && !hasActivationBehavior(*target))
        target = target->parentElement();
    return target && !isDisabled(*target) ? target : nullptr;
}

} // namespace

void submitImplicitly(Element &field, DocumentModel &model)
{
    if (Element *button = defaultButton(field)) {
        clickElement(*button, model);
        return;
    }
    if (const auto request = implicitSubmission(field, model))
        model.host()->followHyperlink(*request);
}

std::optional<NavigationRequest> implicitSubmission(const Element &field, const DocumentModel &model)
{
    const Element *form = formOwner(field);
    if (!form || defaultButton(field))
        return std::nullopt;
    const std::vector<Element *> controls = formControls(*form);
    if (std::count_if(controls.begin(), controls.end(),
                      [](const Element *control) { return blocksImplicitSubmission(*control); }) > 1)
        return std::nullopt;
    return formSubmission(*form, *form, model);
}

Element *defaultButton(const Element &field)
{
    const Element *form = formOwner(field);
    if (!form)
        return nullptr;
    const std::vector<Element *> controls = formControls(*form);
    const auto found = std::find_if(controls.begin(), controls.end(),
                                    [](const Element *control) { return isSubmitButton(*control); });
    return found != controls.end() ? *found : nullptr;
}

void clickElement(Element &element, DocumentModel &model)
{
    // The window must still be there, whatever the click would do.
    (void)model.host();
    if (Element *target = activationTarget(element))
        activate(*target, model);
}

Element *clickedControl(Element &element)
{
    Element *target = activationTarget(element);
    if (!target || isSummaryOfDetails(*target))
        return nullptr;
    if (!target->is(QLatin1StringView("label")))
        return target;
    Element *control = labeledControl(*target);
    return control && !isDisabled(*control) && hasActivationBehavior(*control) ? control : nullptr;
}

} // namespace dom
