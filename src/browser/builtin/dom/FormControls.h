#pragma once

#include "browser/builtin/dom/Node.h"

#include <QString>

#include <vector>

// The state of form controls as the HTML standard keeps it: types, values with their dirty
// flags, checkedness, option selectedness, disabled state and form owners.
namespace dom {

// How an input element's value behaves, by its type.
enum class ValueMode { Value, Default, DefaultOn, Filename };

// The state an input's type attribute selects ("text" when missing or unknown), lower case.
[[nodiscard]] QString inputType(const Element &input);
// A button's type: "submit", "reset" or "button" ("submit" when missing or unknown).
[[nodiscard]] QString buttonType(const Element &button);
[[nodiscard]] ValueMode valueMode(const QString &inputType);

// The value an input shows: the dirty value, else its sanitised value attribute.
[[nodiscard]] QString inputValue(const Element &input);
void setInputValue(Element &input, const QString &value);
// A textarea's API value: its raw value (edited, else its text) with line breaks as LF.
[[nodiscard]] QString textAreaValue(const Element &textArea);
void setTextAreaValue(Element &textArea, const QString &value);

[[nodiscard]] bool checkedness(const Element &input);
// Sets the checkedness as a user's change does; checking a radio button unchecks the others
// of its group.
void setCheckedness(Element &input, bool checked);

// The options of a select, in tree order: its option descendants but those in a datalist.
[[nodiscard]] std::vector<Element *> selectOptions(const Element &select);
[[nodiscard]] bool selectedness(const Element &option);
[[nodiscard]] QString optionValue(const Element &option);
// The option's text with white space stripped and collapsed.
[[nodiscard]] QString optionText(const Element &option);
// The value of the first selected option, or an empty text.
[[nodiscard]] QString selectValue(const Element &select);
// Selects the first option with that value and deselects the others.
void setSelectValue(Element &select, const QString &value);
// A user's choice of an option: in a multiple select it toggles, in another it is the only one
// selected.
void chooseOption(Element &select, Element &option);

// A form control that is disabled by its own attribute or by a disabled fieldset around it.
[[nodiscard]] bool isDisabled(const Element &element);
// The form a listed element (button, fieldset, input, object, output, select, textarea)
// belongs to: the form its form attribute names, else the nearest form around it.
[[nodiscard]] Element *formOwner(const Element &element);
// Every submittable element (button, input, select, textarea) whose form owner is the form,
// in tree order.
[[nodiscard]] std::vector<Element *> formControls(const Element &form);

// Restores a control to its defaults (the reset algorithm).
void resetControl(Element &control);
// Gives every control of a freshly parsed tree its initial state.
void initialiseControls(Node &root);

// The root of the tree the node is in (the document, unless it has been removed). The tree
// belongs to the document model, which may change it, so the root comes back changeable.
[[nodiscard]] Node &treeRoot(const Node &node);
// The first element with that id in the node's tree, or null.
[[nodiscard]] Element *elementById(Node &root, const QString &id);

} // namespace dom
