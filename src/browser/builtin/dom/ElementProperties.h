#pragma once

#include "browser/builtin/dom/DocumentModel.h"

#include <QString>

#include <optional>

// The element properties of the HTML DOM that the page actions read and write, for the element
// kinds that have them. A kind without the property gives nullopt (or false for a setter); the
// caller reports that as a property the object does not support.
namespace dom {

// tagName: the qualified name, upper case for HTML elements ("INPUT"), as written for SVG
// and MathML ("foreignObject").
[[nodiscard]] QString tagNameProperty(const Element &element);

// name: a, button, embed, fieldset, form, frame, iframe, img, input, map, meta, object,
// output, param, select, slot, textarea. The attribute's value, "" when absent.
[[nodiscard]] std::optional<QString> nameProperty(const Element &element);

// type: input (its type state, "text" by default), button ("submit" by default), select
// ("select-one"/"select-multiple"), textarea ("textarea"), output ("output"), fieldset
// ("fieldset"); and as the attribute gives it: a, embed, li, link, object, ol, param, script,
// source, style, ul.
[[nodiscard]] std::optional<QString> typeProperty(const Element &element);

// value: input (live value), textarea (live text), select (the first selected option's value),
// option (value attribute, else its text), button, data and param (the attribute), output
// (its text), li (integer), meter and progress (number).
[[nodiscard]] std::optional<QString> valueProperty(const Element &element);
// Writes value on the same kinds; false for a kind without it. Throws ScriptError(TypeMismatch)
// for a text that li, meter or progress cannot take as a number.
[[nodiscard]] bool setValueProperty(Element &element, const QString &value, DocumentModel &model);

// src: audio, embed, frame, iframe, img, input, script, source, track, video; resolved against
// the base URL, "" when absent.
[[nodiscard]] std::optional<QString> srcProperty(const Element &element, const DocumentModel &model);
// href: a, area, link (against the base URL), base (against the document's address).
[[nodiscard]] std::optional<QString> hrefProperty(const Element &element, const DocumentModel &model);
// target: a, area, base, form. The attribute's value, "" when absent.
[[nodiscard]] std::optional<QString> targetProperty(const Element &element);
[[nodiscard]] bool setTargetProperty(Element &element, const QString &target);

} // namespace dom
