#pragma once

#include "browser/builtin/dom/DocumentModel.h"
#include "page/Document.h"

#include <memory>
#include <vector>

namespace dom {

// An element of the built-in engine's document model as the page actions see it. The handle
// shares the model, so the element stays valid however the page changes.
class ElementHandle : public ::Element {
public:
    ElementHandle(std::shared_ptr<DocumentModel> model, dom::Element &element)
        : m_model(std::move(model)), m_element(&element)
    {
    }

    [[nodiscard]] QString tagName() const override;
    [[nodiscard]] QString innerText() const override;
    [[nodiscard]] QString innerHTML() const override;
    void readInnerHTML(const std::function<bool(QStringView)> &read) const override;
    [[nodiscard]] QString className() const override;
    [[nodiscard]] QString id() const override;
    [[nodiscard]] QString name() const override;
    [[nodiscard]] QString type() const override;
    [[nodiscard]] std::optional<QString> typeIfAny() const override;
    [[nodiscard]] QString value() const override;
    [[nodiscard]] QString src() const override;
    [[nodiscard]] QString href() const override;
    [[nodiscard]] QString target() const override;

    void setValue(const QString &value) override;
    void setInnerText(const QString &text) override;
    void setTarget(const QString &target) override;
    void click() override;

    [[nodiscard]] std::unique_ptr<Collection> all() const override;

    // The element of the model the handle stands for.
    [[nodiscard]] const dom::Element &element() const { return *m_element; }

private:
    std::shared_ptr<DocumentModel> m_model;
    dom::Element *m_element;
};

// A list of elements taken when it was asked for, in document order.
class ElementList : public Collection {
public:
    ElementList(std::shared_ptr<DocumentModel> model, std::vector<dom::Element *> elements)
        : m_model(std::move(model)), m_elements(std::move(elements))
    {
    }

    [[nodiscard]] int length() const override { return int(m_elements.size()); }
    [[nodiscard]] std::unique_ptr<::Element> item(int index) const override;

private:
    std::shared_ptr<DocumentModel> m_model;
    std::vector<dom::Element *> m_elements;
};

} // namespace dom
