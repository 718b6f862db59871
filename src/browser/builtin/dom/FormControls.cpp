#include "browser/builtin/dom/FormControls.h"

#include "browser/builtin/dom/AsciiText.h"
#include "browser/builtin/dom/InputSanitizer.h"
#include "browser/builtin/dom/TreeWalk.h"

#include <QHash>

#include <array>

namespace dom {
namespace {

constexpr std::array<QLatin1StringView, 22> InputTypes = {
    QLatin1StringView("hidden"), QLatin1StringView("text"), QLatin1StringView("search"),
    QLatin1StringView("tel"), QLatin1StringView("url"), QLatin1StringView("email"),
    QLatin1StringView("password"), QLatin1StringView("date"), QLatin1StringView("month"),
    QLatin1StringView("week"), QLatin1StringView("time"), QLatin1StringView("datetime-local"),
    QLatin1StringView("number"), QLatin1StringView("range"), QLatin1StringView("color"),
    QLatin1StringView("checkbox"), QLatin1StringView("radio"), QLatin1StringView("file"),
    QLatin1StringView("submit"), QLatin1StringView("image"), QLatin1StringView("reset"),
    QLatin1StringView("button"),
};

[[nodiscard]] bool isRadio(const Element &element)
{
    return element.is(QLatin1StringView("input")) && inputType(element) == QLatin1StringView("radio");
}

[[nodiscard]] bool isCheckable(const Element &element)
{
    if (!element.is(QLatin1StringView("input")))
        return false;
    const QString type = inputType(element);
    return type == QLatin1StringView("checkbox") || type == QLatin1StringView("radio");
}

// Two radio buttons are in one group when they share tree, form owner and a non-empty name.
[[nodiscard]] bool inSameRadioGroup(const Element &a, const Element &b)
{
    const QString *name = a.attribute(u"name");
    const QString *otherName = b.attribute(u"name");
    return name && otherName && !name->isEmpty() && *name == *otherName && formOwner(a) == formOwner(b)
        && &treeRoot(a) == &treeRoot(b);
}

void uncheckOthersInGroup(Element &radio)
{
    forEachElement(treeRoot(radio), [&radio](Element &other) {
        if (&other != &radio && isRadio(other) && inSameRadioGroup(radio, other))
            other.formState().checkedness = false;
        return Walk::Continue;
    });
}

[[nodiscard]] int displaySize(const Element &select)
{
    bool ok = false;
    const int size = select.attributeOrEmpty(u"size").trimmed().toInt(&ok);
    if (ok && size > 0)
        return size;
    return select.hasAttribute(u"multiple") ? 4 : 1;
}

[[nodiscard]] bool isOptionDisabled(const Element &option)
{
    if (option.hasAttribute(u"disabled"))
        return true;
    const Element *parent = option.parentElement();
    return parent && parent->is(QLatin1StringView("optgroup")) && parent->hasAttribute(u"disabled");
}

// The selectedness setting algorithm, run when a select's options are reset.
void settleSelectedness(const Element &select)
{
    if (select.hasAttribute(u"multiple"))
        return;
    const std::vector<Element *> options = selectOptions(select);
    std::vector<Element *> selected;
    for (Element *option : options)
        if (selectedness(*option))
            selected.push_back(option);
    if (selected.empty() && displaySize(select) == 1) {
        for (Element *option : options) {
            if (!isOptionDisabled(*option)) {
                option->formState().selectedness = true;
                return;
            }
        }
    }
    for (size_t i = 0; i + 1 < selected.size(); ++i)
        selected[i]->formState().selectedness = false;
}

void resetSelect(Element &select)
{
    for (Element *option : selectOptions(select)) {
        FormControlState &state = option->formState();
        state.selectedness = option->hasAttribute(u"selected");
        state.dirtySelectedness = false;
    }
    settleSelectedness(select);
}

[[nodiscard]] bool isListedElement(const Element &element)
{
    return element.isAnyOf({"button", "fieldset", "input", "object", "output", "select", "textarea"});
}

} // namespace

QString inputType(const Element &input)
{
    const QString *type = input.attribute(u"type");
    if (type) {
        const QString lower = asciiLowercase(*type);
        for (const QLatin1StringView known : InputTypes)
            if (lower == known)
                return known;
    }
    return QStringLiteral("text");
}

QString buttonType(const Element &button)
{
    const QString type = asciiLowercase(button.attributeOrEmpty(u"type"));
    if (type == QLatin1StringView("reset") || type == QLatin1StringView("button"))
        return type;
    return QStringLiteral("submit");
}

ValueMode valueMode(const QString &type)
{
    if (type == QLatin1StringView("checkbox") || type == QLatin1StringView("radio"))
        return ValueMode::DefaultOn;
    if (type == QLatin1StringView("file"))
        return ValueMode::Filename;
    if (type == QLatin1StringView("hidden") || type == QLatin1StringView("submit") || type == QLatin1StringView("image")
        || type == QLatin1StringView("reset") || type == QLatin1StringView("button"))
        return ValueMode::Default;
    return ValueMode::Value;
}

QString inputValue(const Element &input)
{
    const QString type = inputType(input);
    switch (valueMode(type)) {
    case ValueMode::Default: return input.attributeOrEmpty(u"value");
    case ValueMode::DefaultOn: {
        const QString *value = input.attribute(u"value");
        return value ? *value : QStringLiteral("on");
    }
    case ValueMode::Filename: return {};
    case ValueMode::Value: break;
    }
    const FormControlState *state = input.formStateIfAny();
    if (state && state->dirtyValue)
        return state->value;
    return sanitizeValue(type, input.attributeOrEmpty(u"value"), input);
}

void setInputValue(Element &input, const QString &value)
{
    const QString type = inputType(input);
    switch (valueMode(type)) {
    case ValueMode::Default:
    case ValueMode::DefaultOn: input.setAttribute(QStringLiteral("value"), value); return;
    case ValueMode::Filename: return;
    case ValueMode::Value: break;
    }
    FormControlState &state = input.formState();
    state.value = sanitizeValue(type, value, input);
    state.dirtyValue = true;
}

QString textAreaValue(const Element &textArea)
{
    const FormControlState *state = textArea.formStateIfAny();
    QString raw = state && state->dirtyValue ? state->value : textArea.childTextContent();
    return raw.replace(QLatin1StringView("\r\n"), QLatin1StringView("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

void setTextAreaValue(Element &textArea, const QString &value)
{
    FormControlState &state = textArea.formState();
    state.value = value;
    state.dirtyValue = true;
}

bool checkedness(const Element &input)
{
    const FormControlState *state = input.formStateIfAny();
    return state ? state->checkedness : input.hasAttribute(u"checked");
}

void setCheckedness(Element &input, bool checked)
{
    FormControlState &state = input.formState();
    state.checkedness = checked;
    state.dirtyCheckedness = true;
    if (checked && isRadio(input))
        uncheckOthersInGroup(input);
}

std::vector<Element *> selectOptions(const Element &select)
{
    // Since a select holds what any element holds, its options are its option descendants, but
    // for those of a datalist or a select inside it.
    std::vector<Element *> options;
    forEachElement(const_cast<Element &>(select), [&options](Element &element) {
        if (element.is(QLatin1StringView("option")))
            options.push_back(&element);
        return element.isAnyOf({"option", "datalist", "select"}) ? Walk::SkipChildren : Walk::Continue;
    });
    return options;
}

bool selectedness(const Element &option)
{
    const FormControlState *state = option.formStateIfAny();
    return state ? state->selectedness : option.hasAttribute(u"selected");
}

QString optionText(const Element &option)
{
    return stripAndCollapseAsciiWhitespace(option.descendantTextContent());
}

QString optionValue(const Element &option)
{
    const QString *value = option.attribute(u"value");
    return value ? *value : optionText(option);
}

QString selectValue(const Element &select)
{
    for (const Element *option : selectOptions(select))
        if (selectedness(*option))
            return optionValue(*option);
    return {};
}

void setSelectValue(Element &select, const QString &value)
{
    bool found = false;
    for (Element *option : selectOptions(select)) {
        FormControlState &state = option->formState();
        state.selectedness = !found && optionValue(*option) == value;
        state.dirtySelectedness = true;
        found = found || state.selectedness;
    }
}

void chooseOption(Element &select, Element &option)
{
    const bool multiple = select.hasAttribute(u"multiple");
    const bool chosen = !multiple || !selectedness(option);
    for (Element *each : selectOptions(select)) {
        if (each != &option && multiple)
            continue;
        FormControlState &state = each->formState();
        state.selectedness = each == &option && chosen;
        state.dirtySelectedness = true;
    }
}

bool isDisabled(const Element &element)
{
    if (element.is(QLatin1StringView("option")))
        return isOptionDisabled(element);
    if (!element.isAnyOf({"button", "input", "select", "textarea", "fieldset", "optgroup"}))
        return false;
    if (element.hasAttribute(u"disabled"))
        return true;
    // A disabled fieldset disables what it holds, except what is in its first legend.
    const Node *inside = &element;
    for (const Element *ancestor = element.parentElement(); ancestor; inside = ancestor, ancestor = ancestor->parentElement()) {
        if (!ancestor->is(QLatin1StringView("fieldset")) || !ancestor->hasAttribute(u"disabled"))
            continue;
        const Element *firstLegend = nullptr;
        for (const auto &child : ancestor->children())
            if (const Element *candidate = child->asElement(); candidate && candidate->is(QLatin1StringView("legend"))) {
                firstLegend = candidate;
                break;
            }
        if (inside != firstLegend)
            return true;
    }
    return false;
}

Element *formOwner(const Element &element)
{
    if (const QString *formId = element.attribute(u"form"); formId && isListedElement(element)) {
        Element *named = elementById(treeRoot(element), *formId);
        return named && named->is(QLatin1StringView("form")) ? named : nullptr;
    }
    for (Element *ancestor = element.parentElement(); ancestor; ancestor = ancestor->parentElement())
        if (ancestor->is(QLatin1StringView("form")))
            return ancestor;
    return nullptr;
}

std::vector<Element *> formControls(const Element &form)
{
    std::vector<Element *> controls;
    forEachElement(treeRoot(form), [&](Element &element) {
        if (element.isAnyOf({"button", "input", "select", "textarea"}) && formOwner(element) == &form)
            controls.push_back(&element);
        return Walk::Continue;
    });
    return controls;
}

void resetControl(Element &control)
{
    if (control.is(QLatin1StringView("input"))) {
        FormControlState &state = control.formState();
        state.dirtyValue = false;
        state.dirtyCheckedness = false;
        state.value.clear();
        state.checkedness = control.hasAttribute(u"checked");
        if (state.checkedness && isRadio(control))
            uncheckOthersInGroup(control);
    } else if (control.is(QLatin1StringView("textarea"))) {
        FormControlState &state = control.formState();
        state.dirtyValue = false;
        state.value.clear();
    } else if (control.is(QLatin1StringView("select"))) {
        resetSelect(control);
    }
}

void initialiseControls(Node &root)
{
    // A checked radio button unchecks the earlier checked ones of its group as the parser
    // inserts it, so the last one stays checked.
    QHash<std::pair<QString, const Element *>, Element *> lastCheckedRadio;
    forEachElement(root, [&](Element &element) {
        if (isCheckable(element)) {
            const bool checked = element.hasAttribute(u"checked");
            element.formState().checkedness = checked;
            const QString name = element.attributeOrEmpty(u"name");
            if (checked && isRadio(element) && !name.isEmpty()) {
                Element *&last = lastCheckedRadio[{name, formOwner(element)}];
                if (last)
                    last->formState().checkedness = false;
                last = &element;
            }
        } else if (element.is(QLatin1StringView("select"))) {
            resetSelect(element);
        }
        return Walk::Continue;
    });
}

Node &treeRoot(const Node &node)
{
    const Node *root = &node;
    while (root->parent())
        root = root->parent();
    return const_cast<Node &>(*root);
}

Element *elementById(Node &root, const QString &id)
{
    if (id.isEmpty())
        return nullptr;
    Element *found = nullptr;
    forEachElement(root, [&](Element &element) {
        const QString *value = element.attribute(u"id");
        if (value && *value == id) {
            found = &element;
            return Walk::Stop;
        }
        return Walk::Continue;
    });
    return found;
}

} // namespace dom
