#include "browser/builtin/dom/ConstraintValidation.h"

#include "browser/builtin/dom/FormControls.h"
#include "browser/builtin/dom/InputSanitizer.h"
#include "browser/builtin/dom/TreeWalk.h"
#include "browser/builtin/dom/Url.h"

#include <QRegularExpression>
#include <QStringList>

namespace dom {
namespace {

[[nodiscard]] bool isBarredFromValidation(const Element &control)
{
    if (isDisabled(control) || control.is(QLatin1StringView("button")))
        return true;
    for (const Element *ancestor = control.parentElement(); ancestor; ancestor = ancestor->parentElement())
        if (ancestor->is(QLatin1StringView("datalist")))
            return true;
    if (control.is(QLatin1StringView("textarea")))
        return control.hasAttribute(u"readonly");
    if (!control.is(QLatin1StringView("input")))
        return !control.is(QLatin1StringView("select"));
    const QString type = inputType(control);
    if (type == QLatin1StringView("hidden") || type == QLatin1StringView("reset") || type == QLatin1StringView("button")
        || type == QLatin1StringView("submit") || type == QLatin1StringView("image"))
        return true;
    return control.hasAttribute(u"readonly") && type != QLatin1StringView("checkbox") && type != QLatin1StringView("radio")
        && type != QLatin1StringView("file");
}

[[nodiscard]] bool radioGroupHasChecked(const Element &radio)
{
    const QString name = radio.attributeOrEmpty(u"name");
    if (name.isEmpty())
        return checkedness(radio);
    const Element *owner = formOwner(radio);
    bool found = false;
    forEachElement(treeRoot(radio), [&](const Element &other) {
        if (other.is(QLatin1StringView("input")) && inputType(other) == QLatin1StringView("radio")
            && other.attributeOrEmpty(u"name") == name && formOwner(other) == owner && checkedness(other)) {
            found = true;
            return Walk::Stop;
        }
        return Walk::Continue;
    });
    return found;
}

[[nodiscard]] bool radioGroupIsRequired(const Element &radio)
{
    if (radio.hasAttribute(u"required"))
        return true;
    const QString name = radio.attributeOrEmpty(u"name");
    if (name.isEmpty())
        return false;
    const Element *owner = formOwner(radio);
    bool required = false;
    forEachElement(treeRoot(radio), [&](const Element &other) {
        if (other.is(QLatin1StringView("input")) && inputType(other) == QLatin1StringView("radio")
            && other.attributeOrEmpty(u"name") == name && formOwner(other) == owner && other.hasAttribute(u"required")) {
            required = true;
            return Walk::Stop;
        }
        return Walk::Continue;
    });
    return required;
}

// A select whose chosen option is its placeholder label option (a first option with an empty
// value) counts as having no value.
[[nodiscard]] bool selectIsMissingValue(const Element &select)
{
    const std::vector<Element *> options = selectOptions(select);
    std::vector<const Element *> chosen;
    for (const Element *option : options)
        if (selectedness(*option))
            chosen.push_back(option);
    if (chosen.empty())
        return true;
    const bool hasPlaceholder = !select.hasAttribute(u"multiple") && !options.empty()
        && options.front()->parentElement() == &select && optionValue(*options.front()).isEmpty();
    return hasPlaceholder && chosen.size() == 1 && chosen.front() == options.front();
}

[[nodiscard]] bool isValidEmail(const QString &address)
{
    static const QRegularExpression email(QStringLiteral(
        "^[a-zA-Z0-9.!#$%&'*+/=?^_`{|}~-]+@[a-zA-Z0-9](?:[a-zA-Z0-9-]{0,61}[a-zA-Z0-9])?"
        "(?:\\.[a-zA-Z0-9](?:[a-zA-Z0-9-]{0,61}[a-zA-Z0-9])?)*$"));
    return email.match(address).hasMatch();
}

[[nodiscard]] bool hasTypeMismatch(const Element &input, const QString &type, const QString &value)
{
    if (value.isEmpty())
        return false;
    if (type == QLatin1StringView("email")) {
        const QStringList addresses = input.hasAttribute(u"multiple") ? value.split(u',') : QStringList{value};
        for (const QString &address : addresses)
            if (!isValidEmail(address))
                return true;
        return false;
    }
    if (type == QLatin1StringView("url"))
        return !Url::parse(value).has_value();
    return false;
}

[[nodiscard]] bool hasPatternMismatch(const Element &input, const QString &value)
{
    const QString *pattern = input.attribute(u"pattern");
    if (!pattern || value.isEmpty())
        return false;
    const QRegularExpression expression(QStringLiteral("^(?:%1)$").arg(*pattern));
    // A pattern that does not compile is ignored, as browsers do.
    return expression.isValid() && !expression.match(value).hasMatch();
}

[[nodiscard]] bool isOutOfRange(const Element &input, const QString &value)
{
    const auto number = parseFloatingPointNumber(value);
    if (!number)
        return false;
    const auto minimum = parseFloatingPointNumber(input.attributeOrEmpty(u"min"));
    const auto maximum = parseFloatingPointNumber(input.attributeOrEmpty(u"max"));
    return (minimum && *number < *minimum) || (maximum && *number > *maximum);
}

[[nodiscard]] bool isInputValid(const Element &input)
{
    const QString type = inputType(input);
    const bool required = input.hasAttribute(u"required");
    if (type == QLatin1StringView("checkbox"))
        return !required || checkedness(input);
    if (type == QLatin1StringView("radio"))
        return !radioGroupIsRequired(input) || radioGroupHasChecked(input);
    if (type == QLatin1StringView("file"))
        return !required;
    const QString value = inputValue(input);
    if (required && value.isEmpty())
        return false;
    if (type == QLatin1StringView("number"))
        return !isOutOfRange(input, value);
    return !hasTypeMismatch(input, type, value) && !hasPatternMismatch(input, value);
}

// Whether this control satisfies its constraints (a control barred from validation does).
[[nodiscard]] bool isControlValid(const Element &control)
{
    if (isBarredFromValidation(control))
        return true;
    if (control.is(QLatin1StringView("textarea")))
        return !control.hasAttribute(u"required") || !textAreaValue(control).isEmpty();
    if (control.is(QLatin1StringView("select")))
        return !control.hasAttribute(u"required") || !selectIsMissingValue(control);
    return isInputValid(control);
}

} // namespace

bool satisfiesConstraints(const Element &form)
{
    for (const Element *control : formControls(form))
        if (!isControlValid(*control))
            return false;
    return true;
}

} // namespace dom
