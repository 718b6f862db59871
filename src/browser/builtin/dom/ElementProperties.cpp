#include "browser/builtin/dom/ElementProperties.h"

#include "browser/builtin/dom/FormControls.h"
#include "browser/builtin/dom/InputSanitizer.h"
#include "engine/ScriptError.h"

#include <cmath>

namespace dom {
namespace {

// A URL-reflecting attribute: resolved, the raw text when it does not parse, "" when absent.
[[nodiscard]] QString reflectedUrl(const Element &element, QStringView attribute, const DocumentModel &model)
{
    const QString *value = element.attribute(attribute);
    if (!value)
        return {};
    const auto url = model.resolveUrl(*value);
    return url ? url->href() : *value;
}

[[nodiscard]] QString listItemValue(const Element &item)
{
    bool ok = false;
    const int number = item.attributeOrEmpty(u"value").trimmed().toInt(&ok);
    return QString::number(ok ? number : 0);
}

[[nodiscard]] double numberAttribute(const Element &element, QStringView name, double fallback)
{
    const auto number = parseFloatingPointNumber(element.attributeOrEmpty(name).trimmed());
    return number ? *number : fallback;
}

[[nodiscard]] QString meterValue(const Element &meter)
{
    const double minimum = numberAttribute(meter, u"min", 0);
    const double maximum = std::max(minimum, numberAttribute(meter, u"max", 1));
    return numberText(std::clamp(numberAttribute(meter, u"value", 0), minimum, maximum));
}

[[nodiscard]] QString progressValue(const Element &progress)
{
    const auto maximumText = parseFloatingPointNumber(progress.attributeOrEmpty(u"max").trimmed());
    const double maximum = maximumText && *maximumText > 0 ? *maximumText : 1;
    return numberText(std::clamp(numberAttribute(progress, u"value", 0), 0.0, maximum));
}

[[nodiscard]] double requireNumber(const QString &value)
{
    bool ok = false;
    const double number = value.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(number))
        throw ScriptError(TypeMismatch);
    return number;
}

} // namespace

QString tagNameProperty(const Element &element)
{
    return element.isHtml() ? element.localName().toUpper() : element.localName();
}

std::optional<QString> nameProperty(const Element &element)
{
    if (!element.isAnyOf({"a", "button", "embed", "fieldset", "form", "frame", "iframe", "img", "input", "map",
                         "meta", "object", "output", "param", "select", "slot", "textarea"}))
        return std::nullopt;
    return element.attributeOrEmpty(u"name");
}

std::optional<QString> typeProperty(const Element &element)
{
    if (!element.isHtml())
        return std::nullopt;
    const QString &name = element.localName();
    if (name == QLatin1StringView("input"))
        return inputType(element);
    if (name == QLatin1StringView("button"))
        return buttonType(element);
    if (name == QLatin1StringView("select"))
        return element.hasAttribute(u"multiple") ? QStringLiteral("select-multiple") : QStringLiteral("select-one");
    if (name == QLatin1StringView("textarea") || name == QLatin1StringView("output") || name == QLatin1StringView("fieldset"))
        return name;
    if (element.isAnyOf({"a", "embed", "li", "link", "object", "ol", "param", "script", "source", "style", "ul"}))
        return element.attributeOrEmpty(u"type");
    return std::nullopt;
}

std::optional<QString> valueProperty(const Element &element)
{
    if (!element.isHtml())
        return std::nullopt;
    const QString &name = element.localName();
    if (name == QLatin1StringView("input"))
        return inputValue(element);
    if (name == QLatin1StringView("textarea"))
        return textAreaValue(element);
    if (name == QLatin1StringView("select"))
        return selectValue(element);
    if (name == QLatin1StringView("option"))
        return optionValue(element);
    if (element.isAnyOf({"button", "data", "param"}))
        return element.attributeOrEmpty(u"value");
    if (name == QLatin1StringView("output"))
        return element.descendantTextContent();
    if (name == QLatin1StringView("li"))
        return listItemValue(element);
    if (name == QLatin1StringView("meter"))
        return meterValue(element);
    if (name == QLatin1StringView("progress"))
        return progressValue(element);
    return std::nullopt;
}

bool setValueProperty(Element &element, const QString &value, DocumentModel &model)
{
    if (!element.isHtml())
        return false;
    const QString &name = element.localName();
    if (name == QLatin1StringView("input")) {
        // A file input's value names files the user picked; a script may only clear it.
        if (valueMode(inputType(element)) == ValueMode::Filename && !value.isEmpty())
            throw ScriptError(NotSupported, QStringLiteral("A file input's value can only be cleared"));
        setInputValue(element, value);
    } else if (name == QLatin1StringView("textarea")) {
        setTextAreaValue(element, value);
    } else if (name == QLatin1StringView("select")) {
        setSelectValue(element, value);
    } else if (element.isAnyOf({"option", "button", "data", "param"})) {
        element.setAttribute(QStringLiteral("value"), value);
    } else if (name == QLatin1StringView("output")) {
        std::vector<std::unique_ptr<Node>> text;
        if (!value.isEmpty())
            text.push_back(std::make_unique<Text>(value));
        model.replaceChildren(element, std::move(text));
    } else if (name == QLatin1StringView("li")) {
        element.setAttribute(QStringLiteral("value"), QString::number(qint64(requireNumber(value))));
    } else if (element.isAnyOf({"meter", "progress"})) {
        element.setAttribute(QStringLiteral("value"), numberText(requireNumber(value)));
    } else {
        return false;
    }
    return true;
}

std::optional<QString> srcProperty(const Element &element, const DocumentModel &model)
{
    if (!element.isAnyOf({"audio", "embed", "frame", "iframe", "img", "input", "script", "source", "track", "video"}))
        return std::nullopt;
    return reflectedUrl(element, u"src", model);
}

std::optional<QString> hrefProperty(const Element &element, const DocumentModel &model)
{
    if (element.is(QLatin1StringView("base"))) {
        // The base address itself is read against the document's.
        const QString href = element.attributeOrEmpty(u"href");
        const auto url = Url::parse(href, model.address() ? &*model.address() : nullptr);
        return url ? url->href() : href;
    }
    if (!element.isAnyOf({"a", "area", "link"}))
        return std::nullopt;
    return reflectedUrl(element, u"href", model);
}

std::optional<QString> targetProperty(const Element &element)
{
    if (!element.isAnyOf({"a", "area", "base", "form"}))
        return std::nullopt;
    return element.attributeOrEmpty(u"target");
}

bool setTargetProperty(Element &element, const QString &target)
{
    if (!targetProperty(element))
        return false;
    element.setAttribute(QStringLiteral("target"), target);
    return true;
}

} // namespace dom
