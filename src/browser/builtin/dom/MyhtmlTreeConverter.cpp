#include "browser/builtin/dom/MyhtmlTreeConverter.h"

#include "browser/builtin/dom/TreeBuilderUpdates.h"

#include <algorithm>
#include <array>
#include <forward_list>
#include <string>
#include <unordered_set>

namespace dom {
namespace {

[[nodiscard]] QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

[[nodiscard]] char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

// Shares one QString among all uses of the same element name, attribute name or short run of
// white space.
class NameTable {
public:
    explicit NameTable(myhtml_tree_t &tree) : m_tree(tree) {}

    [[nodiscard]] const QString &elementName(myhtml_tag_id_t tag, myhtml_namespace_t ns)
    {
        // SVG keeps the mixed case of names such as foreignObject; other names are lower case.
        const bool svg = ns == MyHTML_NAMESPACE_SVG;
        std::vector<QString> &names = svg ? m_svgTags : m_tags;
        if (names.size() <= tag)
            names.resize(tag + 1);
        QString &name = names[tag];
        if (name.isNull()) {
            size_t length = 0;
            const char *text = myhtml_tag_name_by_id(&m_tree, tag, &length);
            std::string bytes(text ? text : "", text ? length : 0);
            if (!svg)
                std::transform(bytes.begin(), bytes.end(), bytes.begin(), asciiLower);
            name = fromUtf8(bytes);
        }
        return name;
    }

    [[nodiscard]] const QString &name(std::string_view text)
    {
        const auto found = m_names.find(text);
        if (found != m_names.end())
            return found->second;
        return m_names.emplace(std::string(text), fromUtf8(text)).first->second;
    }

private:
    struct StringHash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };

    myhtml_tree_t &m_tree;
    std::vector<QString> m_tags;
    std::vector<QString> m_svgTags;
    std::unordered_map<std::string, QString, StringHash, std::equal_to<>> m_names;
};

// The attribute names of one tag as the tokenizer saw them: looked through one by one while
// few, hashed when many. One set serves tag after tag.
class AttributeNameSet {
public:
    void clear()
    {
        m_fewCount = 0;
        if (!m_hashed.empty())
            m_hashed.clear();
        m_prefixed.clear();
    }

    // False when the name is in the set already.
    [[nodiscard]] bool insert(const myhtml_token_attr_t &attribute)
    {
        const std::string_view name = qualifiedName(attribute);
        if (m_fewCount < m_few.size()) {
            if (std::find(m_few.begin(), m_few.begin() + m_fewCount, name) != m_few.begin() + m_fewCount)
                return false;
            m_few[m_fewCount++] = name;
            return true;
        }
        if (m_hashed.empty())
            m_hashed.insert(m_few.begin(), m_few.end());
        return m_hashed.insert(name).second;
    }

private:
    // myhtml moves the prefix of a foreign attribute (xlink:href) into its namespace.
    [[nodiscard]] std::string_view qualifiedName(const myhtml_token_attr_t &attribute)
    {
        const std::string_view local = textOf(attribute.key);
        const char *prefix = attribute.ns == MyHTML_NAMESPACE_XLINK ? "xlink:"
            : attribute.ns == MyHTML_NAMESPACE_XML                  ? "xml:"
            : attribute.ns == MyHTML_NAMESPACE_XMLNS && local != "xmlns" ? "xmlns:"
                                                                         : nullptr;
        if (!prefix)
            return local;
        return m_prefixed.emplace_front(prefix + std::string(local));
    }

    std::array<std::string_view, 16> m_few;
    size_t m_fewCount = 0;
    std::unordered_set<std::string_view> m_hashed;
    std::forward_list<std::string> m_prefixed;
};

[[nodiscard]] Namespace namespaceOf(myhtml_namespace_t ns)
{
    switch (ns) {
    case MyHTML_NAMESPACE_SVG: return Namespace::Svg;
    case MyHTML_NAMESPACE_MATHML: return Namespace::MathMl;
    default: return Namespace::Html;
    }
}

[[nodiscard]] AttributeNamespace attributeNamespaceOf(myhtml_namespace_t ns)
{
    switch (ns) {
    case MyHTML_NAMESPACE_XLINK: return AttributeNamespace::XLink;
    case MyHTML_NAMESPACE_XML: return AttributeNamespace::Xml;
    case MyHTML_NAMESPACE_XMLNS: return AttributeNamespace::Xmlns;
    default: return AttributeNamespace::None;
    }
}

} // namespace

class TreeConverter::Copier {
public:
    Copier(myhtml_tree_t &tree, std::stop_token stop, int maxDepth)
        : m_tree(tree), m_stop(std::move(stop)), m_maxDepth(maxDepth), m_names(tree)
    {
    }

    // Whether the children of an element with this many element ancestors can be copied before
    // the element: none of them is deep enough to be put beside it.
    [[nodiscard]] bool takesChildrenAhead(int ancestors) const { return ancestors + 1 < m_maxDepth; }

    // Copies a finished child of the element, which is next after those held for it already.
    void holdChild(const myhtml_tree_node_t &parent, int parentAncestors, const myhtml_tree_node_t &child)
    {
        auto &held = m_heldChildren[&parent];
        if (!held)
            held = std::make_unique<DocumentFragment>();
        append(child, *held, parentAncestors + 1, false);
    }

    // The document, or null when a stop is requested on the way.
    [[nodiscard]] std::unique_ptr<Document> convert()
    {
        auto document = std::make_unique<Document>();
        if (m_tree.document->child && !append(*m_tree.document->child, *document, 0, true))
            return nullptr;
        finishDocument(*document, m_selects);
        return document;
    }

private:
    // Copies the node and what lies under it onto the end of the container, which holds nodes of
    // this depth; with `siblings`, the node's later siblings too. False when stopped on the way.
    bool append(const myhtml_tree_node_t &first, Node &container, int depth, bool siblings)
    {
        // Each frame is the next of a node's children to convert, where they go and its depth.
        struct Frame {
            const myhtml_tree_node_t *next;
            Node *container;
            int depth;
        };
        std::vector<Frame> stack{{&first, &container, depth}};
        while (!stack.empty()) {
            Frame &frame = stack.back();
            const myhtml_tree_node_t *node = frame.next;
            if (!node) {
                stack.pop_back();
                continue;
            }
            frame.next = siblings || stack.size() > 1 ? node->next : nullptr;
            constexpr size_t StopCheckInterval = 4096;
            if (++m_converted % StopCheckInterval == 0 && m_stop.stop_requested())
                return false;
            switch (node->tag_id) {
            case SealedTextTag:
            case MyHTML_TAG__TEXT: appendText(*frame.container, *node); break;
            case MyHTML_TAG__COMMENT: appendComment(*frame.container, *node); break;
            case MyHTML_TAG__DOCTYPE: appendDocumentType(*frame.container); break;
            default: {
                const bool tooDeep = frame.depth >= m_maxDepth && frame.container->parent();
                Node &parent = tooDeep ? *frame.container->parent() : *frame.container;
                const int childDepth = std::min(frame.depth + 1, m_maxDepth);
                auto &element = static_cast<Element &>(parent.appendChild(convertElement(*node)));
                if (!m_heldChildren.empty())
                    takeHeldChildren(*node, element);
                if (node->child)
                    stack.push_back({node->child, contentsOf(element), childDepth});
            }
            }
        }
        return true;
    }

private:
    // Puts the children copied ahead of the element under it.
    void takeHeldChildren(const myhtml_tree_node_t &node, Element &element)
    {
        if (auto held = m_heldChildren.extract(&node))
            element.appendChildren(held.mapped()->takeChildren());
    }

    [[nodiscard]] static Node *contentsOf(Element &element)
    {
        return element.is(QLatin1StringView("template")) ? static_cast<Node *>(&element.templateContent()) : &element;
    }

    [[nodiscard]] std::unique_ptr<Element> convertElement(const myhtml_tree_node_t &node)
    {
        auto element = std::make_unique<Element>(m_names.elementName(node.tag_id, node.ns), namespaceOf(node.ns));
        if (node.token)
            appendAttributes(*element, *node.token);
        if (node.tag_id == MyHTML_TAG_SELECT && node.ns == MyHTML_NAMESPACE_HTML)
            m_selects.push_back(element.get());
        return element;
    }

    // myhtml keeps an attribute that repeats an earlier one's name, and makes one of no name
    // of some malformed tags; the tokenizer of the standard does neither.
    void appendAttributes(Element &element, const myhtml_token_node_t &token)
    {
        m_attributeNames.clear();
        for (const myhtml_token_attr_t *attribute = token.attr_first; attribute; attribute = attribute->next) {
            const std::string_view key = textOf(attribute->key);
            if (key.empty() || !m_attributeNames.insert(*attribute))
                continue;
            element.appendAttribute({m_names.name(key), fromUtf8(textOf(attribute->value)),
                                     attributeNamespaceOf(attribute->ns)});
        }
    }

    void appendText(Node &parent, const myhtml_tree_node_t &node)
    {
        if (!node.token || node.token->str.length == 0)
            return;
        // Short runs of white space between tags repeat all over a page: they share one text.
        constexpr size_t SharedWhitespaceLength = 16;
        const std::string_view text = textOf(node.token->str);
        const bool sharedWhitespace =
            (node.token->type & MyHTML_TOKEN_TYPE_WHITESPACE) && text.size() <= SharedWhitespaceLength;
        QString data = sharedWhitespace ? m_names.name(text) : fromUtf8(text);
        if (!parent.children().empty() && parent.children().back()->type() == NodeType::Text) {
            static_cast<Text &>(*parent.children().back()).appendData(data);
            return;
        }
        parent.appendChild(std::make_unique<Text>(std::move(data)));
    }

    static void appendComment(Node &parent, const myhtml_tree_node_t &node)
    {
        parent.appendChild(std::make_unique<Comment>(node.token ? fromUtf8(textOf(node.token->str)) : QString()));
    }

    void appendDocumentType(Node &parent)
    {
        const auto field = [](const char *text) { return text ? QString::fromUtf8(text) : QString(); };
        const myhtml_tree_doctype_t &doctype = m_tree.doctype;
        parent.appendChild(std::make_unique<DocumentType>(field(doctype.attr_name), field(doctype.attr_public),
                                                          field(doctype.attr_system)));
    }

    myhtml_tree_t &m_tree;
    const std::stop_token m_stop;
    const int m_maxDepth;
    NameTable m_names;
    AttributeNameSet m_attributeNames;
    size_t m_converted = 0;
    std::unordered_map<const myhtml_tree_node_t *, std::unique_ptr<DocumentFragment>> m_heldChildren;
    std::vector<Element *> m_selects;
};


TreeConverter::TreeConverter(myhtml_tree_t &tree, std::stop_token stop, int maxDepth)
    : m_copier(std::make_unique<Copier>(tree, std::move(stop), maxDepth))
{
}

TreeConverter::~TreeConverter() = default;

bool TreeConverter::takesChildrenAhead(int ancestors) const
{
    return m_copier->takesChildrenAhead(ancestors);
}

void TreeConverter::holdChild(const myhtml_tree_node_t &parent, int parentAncestors, const myhtml_tree_node_t &child)
{
    m_copier->holdChild(parent, parentAncestors, child);
}

std::unique_ptr<Document> TreeConverter::convert()
{
    return m_copier->convert();
}

} // namespace dom
