#include "browser/builtin/dom/ElementHandle.h"

#include "browser/builtin/dom/Activation.h"
#include "browser/builtin/dom/ElementProperties.h"
#include "browser/builtin/dom/HtmlSerializer.h"
#include "browser/builtin/dom/InnerText.h"
#include "browser/builtin/dom/TreeWalk.h"
#include "engine/ScriptError.h"

namespace dom {
namespace {

[[nodiscard]] QString supported(std::optional<QString> property)
{
    if (!property)
        throw ScriptError(NotSupported);
    return std::move(*property);
}

} // namespace

QString ElementHandle::tagName() const
{
    return tagNameProperty(*m_element);
}

QString ElementHandle::innerText() const
{
    // innerText belongs to HTML elements; SVG and MathML elements have none.
    if (!m_element->isHtml())
        throw ScriptError(NotSupported);
    return dom::innerText(*m_element);
}

QString ElementHandle::innerHTML() const
{
    return serializeChildren(*m_element);
}

void ElementHandle::readInnerHTML(const std::function<bool(QStringView)> &read) const
{
    readSerializedChildren(*m_element, read);
}

QString ElementHandle::className() const
{
    return m_element->attributeOrEmpty(u"class");
}

QString ElementHandle::id() const
{
    return m_element->attributeOrEmpty(u"id");
}

QString ElementHandle::name() const
{
    return supported(nameProperty(*m_element));
}

QString ElementHandle::type() const
{
    return supported(typeProperty(*m_element));
}

std::optional<QString> ElementHandle::typeIfAny() const
{
    return typeProperty(*m_element);
}

QString ElementHandle::value() const
{
    return supported(valueProperty(*m_element));
}

QString ElementHandle::src() const
{
    return supported(srcProperty(*m_element, *m_model));
}

QString ElementHandle::href() const
{
    return supported(hrefProperty(*m_element, *m_model));
}

QString ElementHandle::target() const
{
    return supported(targetProperty(*m_element));
}

void ElementHandle::setValue(const QString &value)
{
    m_model->notifyActedOn(*m_element);
    if (!setValueProperty(*m_element, value, *m_model))
        throw ScriptError(NotSupported);
    m_model->notifyEdited();
}

void ElementHandle::setInnerText(const QString &text)
{
    if (!m_element->isHtml())
        throw ScriptError(NotSupported);
    dom::setInnerText(*m_element, text, *m_model);
    m_model->notifyEdited();
}

void ElementHandle::setTarget(const QString &target)
{
    if (!setTargetProperty(*m_element, target))
        throw ScriptError(NotSupported);
    if (m_element->is(QLatin1StringView("base")))
        m_model->updateBase();
}

void ElementHandle::click()
{
    m_model->notifyActedOn(*m_element);
    clickElement(*m_element, *m_model);
    m_model->notifyEdited();
}

std::unique_ptr<Collection> ElementHandle::all() const
{
    std::vector<dom::Element *> elements;
    forEachElement(*m_element, [&elements](dom::Element &element) {
        elements.push_back(&element);
        return Walk::Continue;
    });
    return std::make_unique<ElementList>(m_model, std::move(elements));
}

std::unique_ptr<::Element> ElementList::item(int index) const
{
    if (index < 0 || index >= length())
        return nullptr;
    return std::make_unique<ElementHandle>(m_model, *m_elements[size_t(index)]);
}

} // namespace dom
