#include "browser/builtin/dom/Node.h"

#include "browser/builtin/dom/TreeWalk.h"

#include <algorithm>

namespace dom {

Node::~Node()
{
    // Destroy the subtree from a work list, so that deep trees do not recurse.
    std::vector<std::unique_ptr<Node>> pending = std::move(m_children);
    while (!pending.empty()) {
        std::unique_ptr<Node> node = std::move(pending.back());
        pending.pop_back();
        for (auto &child : node->m_children)
            pending.push_back(std::move(child));
        node->m_children.clear();
        if (Element *element = node->asElement())
            if (auto content = element->takeTemplateContent())
                pending.push_back(std::move(content));
    }
}

Element *Node::asElement()
{
    return isElement() ? static_cast<Element *>(this) : nullptr;
}

const Element *Node::asElement() const
{
    return isElement() ? static_cast<const Element *>(this) : nullptr;
}

Element *Node::parentElement() const
{
    return m_parent ? m_parent->asElement() : nullptr;
}

Node &Node::appendChild(std::unique_ptr<Node> child)
{
    child->m_parent = this;
    child->m_indexInParent = quint32(m_children.size());
    return *m_children.emplace_back(std::move(child));
}

Node &Node::insertChild(size_t index, std::unique_ptr<Node> child)
{
    child->m_parent = this;
    Node &inserted = *child;
    index = std::min(index, m_children.size());
    m_children.insert(m_children.begin() + static_cast<std::ptrdiff_t>(index), std::move(child));
    renumberChildrenFrom(index);
    return inserted;
}

void Node::appendChildren(std::vector<std::unique_ptr<Node>> children)
{
    for (auto &child : children)
        child->m_parent = this;
    const size_t first = m_children.size();
    if (m_children.empty())
        m_children = std::move(children);
    else
        m_children.insert(m_children.end(), std::make_move_iterator(children.begin()),
                          std::make_move_iterator(children.end()));
    renumberChildrenFrom(first);
}

std::vector<std::unique_ptr<Node>> Node::takeChildren()
{
    std::vector<std::unique_ptr<Node>> taken = std::move(m_children);
    m_children.clear();
    for (auto &child : taken)
        child->m_parent = nullptr;
    return taken;
}

std::vector<std::unique_ptr<Node>> Node::takeChildren(size_t start, size_t end)
{
    end = std::min(end, m_children.size());
    start = std::min(start, end);
    const auto first = m_children.begin() + static_cast<std::ptrdiff_t>(start);
    const auto last = m_children.begin() + static_cast<std::ptrdiff_t>(end);
    std::vector<std::unique_ptr<Node>> taken(std::make_move_iterator(first), std::make_move_iterator(last));
    m_children.erase(first, last);
    for (auto &child : taken)
        child->m_parent = nullptr;
    renumberChildrenFrom(start);
    return taken;
}

void Node::renumberChildrenFrom(size_t index)
{
    for (; index < m_children.size(); ++index)
        m_children[index]->m_indexInParent = static_cast<quint32>(index);
}

QString Node::childTextContent() const
{
    QString text;
    for (const auto &child : m_children)
        if (child->type() == NodeType::Text)
            text += static_cast<const Text &>(*child).data();
    return text;
}

QString Node::descendantTextContent() const
{
    QString text;
    walkDescendants(*this, [&text](const Node &node) {
        if (node.type() == NodeType::Text)
            text += static_cast<const Text &>(node).data();
        return Walk::Continue;
    });
    return text;
}

Element *Document::documentElement() const
{
    for (const auto &child : children())
        if (child->isElement())
            return child->asElement();
    return nullptr;
}

bool Element::isAnyOf(std::initializer_list<const char *> localNames) const
{
    if (!isHtml())
        return false;
    // Compared in place: most names differ at their first letter, and none needs measuring.
    const auto equalsLocalName = [this](const char *name) {
        qsizetype index = 0;
        for (; name[index] != '\0'; ++index) {
            if (index == m_localName.size() || m_localName.at(index) != QLatin1Char(name[index]))
                return false;
        }
        return index == m_localName.size();
    };
    return std::any_of(localNames.begin(), localNames.end(), equalsLocalName);
}

const QString *Element::attribute(QStringView name) const
{
    for (const Attribute &attribute : m_attributes)
        if (attribute.ns == AttributeNamespace::None && attribute.name == name)
            return &attribute.value;
    return nullptr;
}

QString Element::attributeOrEmpty(QStringView name) const
{
    const QString *value = attribute(name);
    return value ? *value : QString();
}

void Element::setAttribute(const QString &name, const QString &value)
{
    for (Attribute &attribute : m_attributes) {
        if (attribute.ns == AttributeNamespace::None && attribute.name == name) {
            attribute.value = value;
            return;
        }
    }
    m_attributes.push_back({name, value, AttributeNamespace::None});
}

void Element::removeAttribute(QStringView name)
{
    std::erase_if(m_attributes, [name](const Attribute &attribute) {
        return attribute.ns == AttributeNamespace::None && attribute.name == name;
    });
}

Element::RareParts &Element::rareParts()
{
    if (!m_rareParts)
        m_rareParts = std::make_unique<RareParts>();
    return *m_rareParts;
}

FormControlState &Element::formState()
{
    RareParts &parts = rareParts();
    if (!parts.formState)
        parts.formState.emplace();
    return *parts.formState;
}

DocumentFragment &Element::templateContent()
{
    RareParts &parts = rareParts();
    if (!parts.templateContent)
        parts.templateContent = std::make_unique<DocumentFragment>();
    return *parts.templateContent;
}

} // namespace dom
