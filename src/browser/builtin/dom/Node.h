#pragma once

#include <QString>
#include <QStringView>

#include <initializer_list>
#include <memory>
#include <optional>
#include <vector>

// The document tree, with the node types of the DOM standard. A parent owns its children;
// parent pointers are plain back pointers. Nothing here recurses over the tree: a page of
// any depth is built, walked and destroyed iteratively.
namespace dom {

enum class NodeType : quint8 { Document, DocumentType, DocumentFragment, Element, Text, Comment };
enum class Namespace : quint8 { Html, Svg, MathMl };
enum class AttributeNamespace : quint8 { None, XLink, Xml, Xmlns };

class Element;

class Node {
public:
    explicit Node(NodeType type) : m_type(type) {}
    virtual ~Node();
    Node(const Node &) = delete;
    Node &operator=(const Node &) = delete;

    [[nodiscard]] NodeType type() const { return m_type; }
    [[nodiscard]] Node *parent() const { return m_parent; }
    [[nodiscard]] const std::vector<std::unique_ptr<Node>> &children() const { return m_children; }
    // Where the node stands among its parent's children; meaningful while it has a parent.
    [[nodiscard]] size_t indexInParent() const { return m_indexInParent; }

    [[nodiscard]] bool isElement() const { return m_type == NodeType::Element; }
    [[nodiscard]] Element *asElement();
    [[nodiscard]] const Element *asElement() const;
    // The nearest ancestor that is an element, or null.
    [[nodiscard]] Element *parentElement() const;

    Node &appendChild(std::unique_ptr<Node> child);
    Node &insertChild(size_t index, std::unique_ptr<Node> child);
    // Appends the nodes in order; a node without children takes the vector as it is.
    void appendChildren(std::vector<std::unique_ptr<Node>> children);
    // Removes every child and hands them over, in order.
    [[nodiscard]] std::vector<std::unique_ptr<Node>> takeChildren();
    // Removes the children [start, end) and hands them over, in order.
    [[nodiscard]] std::vector<std::unique_ptr<Node>> takeChildren(size_t start, size_t end);

    // The concatenated data of the Text nodes among the children.
    [[nodiscard]] QString childTextContent() const;
    // The concatenated data of every Text descendant, in tree order.
    [[nodiscard]] QString descendantTextContent() const;

private:
    void renumberChildrenFrom(size_t index);

    std::vector<std::unique_ptr<Node>> m_children;
    Node *m_parent = nullptr;
    // Kept with every change of the children, so that a node finds its siblings at once.
    quint32 m_indexInParent = 0;
    const NodeType m_type;
};

// Text and Comment: a node holding character data.
class CharacterData : public Node {
public:
    CharacterData(NodeType type, QString data) : Node(type), m_data(std::move(data)) {}

    [[nodiscard]] const QString &data() const { return m_data; }
    void appendData(const QString &data) { m_data += data; }
    void setData(QString data) { m_data = std::move(data); }

private:
    QString m_data;
};

class Text : public CharacterData {
public:
    explicit Text(QString data) : CharacterData(NodeType::Text, std::move(data)) {}
};

class Comment : public CharacterData {
public:
    explicit Comment(QString data) : CharacterData(NodeType::Comment, std::move(data)) {}
};

class DocumentType : public Node {
public:
    DocumentType(QString name, QString publicId, QString systemId)
        : Node(NodeType::DocumentType)
        , m_name(std::move(name))
        , m_publicId(std::move(publicId))
        , m_systemId(std::move(systemId))
    {
    }

    [[nodiscard]] const QString &name() const { return m_name; }
    [[nodiscard]] const QString &publicId() const { return m_publicId; }
    [[nodiscard]] const QString &systemId() const { return m_systemId; }

private:
    QString m_name;
    QString m_publicId;
    QString m_systemId;
};

// Holds a template element's contents, which are outside the document's tree.
class DocumentFragment : public Node {
public:
    DocumentFragment() : Node(NodeType::DocumentFragment) {}
};

class Document : public Node {
public:
    Document() : Node(NodeType::Document) {}

    // The document element (html), or null.
    [[nodiscard]] Element *documentElement() const;
};

struct Attribute {
    QString name; // local name; the prefix follows from the namespace
    QString value;
    AttributeNamespace ns = AttributeNamespace::None;
};

// The live state of a form control, kept beside its attributes.
struct FormControlState {
    QString value; // input: the value; textarea: the raw value
    bool dirtyValue = false;
    bool checkedness = false;
    bool dirtyCheckedness = false;
    bool selectedness = false; // option
    bool dirtySelectedness = false;
};

class Element : public Node {
public:
    Element(QString localName, Namespace ns) : Node(NodeType::Element), m_namespace(ns), m_localName(std::move(localName)) {}

    [[nodiscard]] const QString &localName() const { return m_localName; }
    [[nodiscard]] Namespace elementNamespace() const { return m_namespace; }
    [[nodiscard]] bool isHtml() const { return m_namespace == Namespace::Html; }
    // An HTML element with this local name.
    [[nodiscard]] bool is(QLatin1StringView localName) const
    {
        return m_namespace == Namespace::Html && m_localName == localName;
    }

    // An HTML element with one of these local names.
    [[nodiscard]] bool isAnyOf(std::initializer_list<const char *> localNames) const;

    [[nodiscard]] const std::vector<Attribute> &attributes() const { return m_attributes; }
    void appendAttribute(Attribute attribute) { m_attributes.push_back(std::move(attribute)); }
    // The value of the attribute in no namespace with this name, or null when absent.
    [[nodiscard]] const QString *attribute(QStringView name) const;
    [[nodiscard]] bool hasAttribute(QStringView name) const { return attribute(name) != nullptr; }
    // The attribute's value, or an empty text when absent.
    [[nodiscard]] QString attributeOrEmpty(QStringView name) const;
    void setAttribute(const QString &name, const QString &value);
    void removeAttribute(QStringView name);

    // The control state, created on first use.
    [[nodiscard]] FormControlState &formState();
    [[nodiscard]] const FormControlState *formStateIfAny() const
    {
        return m_rareParts && m_rareParts->formState ? &*m_rareParts->formState : nullptr;
    }

    // A template element's contents, created on first use.
    [[nodiscard]] DocumentFragment &templateContent();
    [[nodiscard]] DocumentFragment *templateContentIfAny() const
    {
        return m_rareParts ? m_rareParts->templateContent.get() : nullptr;
    }
    [[nodiscard]] std::unique_ptr<DocumentFragment> takeTemplateContent()
    {
        return m_rareParts ? std::move(m_rareParts->templateContent) : nullptr;
    }

private:
    // What few elements have, out of line: a page holds many elements.
    struct RareParts {
        std::optional<FormControlState> formState;
        std::unique_ptr<DocumentFragment> templateContent;
    };

    RareParts &rareParts();

    // First, so that it fills the end of the node's own layout.
    const Namespace m_namespace;
    QString m_localName;
    std::vector<Attribute> m_attributes;
    std::unique_ptr<RareParts> m_rareParts;
};

} // namespace dom
