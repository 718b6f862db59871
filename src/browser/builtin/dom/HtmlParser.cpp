#include "browser/builtin/dom/HtmlParser.h"

#include "browser/builtin/dom/NestingLimiter.h"

#include <gumbo.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <memory>
#include <unordered_map>
#include <vector>

namespace dom {
namespace {

struct StringHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

// Shares one QString among all uses of the same element or attribute name.
class NameTable {
public:
    [[nodiscard]] const QString &tagName(GumboTag tag)
    {
        if (m_tags.empty())
            m_tags.resize(GUMBO_TAG_LAST + 1);
        QString &name = m_tags[tag];
        if (name.isNull())
            name = QString::fromLatin1(gumbo_normalized_tagname(tag));
        return name;
    }

    [[nodiscard]] const QString &name(std::string_view text)
    {
        const auto found = m_names.find(text);
        if (found != m_names.end())
            return found->second;
        return m_names.emplace(std::string(text), QString::fromUtf8(text.data(), qsizetype(text.size()))).first->second;
    }

private:
    std::vector<QString> m_tags;
    std::unordered_map<std::string, QString, StringHash, std::equal_to<>> m_names;
};

[[nodiscard]] Namespace namespaceOf(GumboNamespaceEnum ns)
{
    switch (ns) {
    case GUMBO_NAMESPACE_SVG: return Namespace::Svg;
    case GUMBO_NAMESPACE_MATHML: return Namespace::MathMl;
    case GUMBO_NAMESPACE_HTML: break;
    }
    return Namespace::Html;
}

[[nodiscard]] AttributeNamespace attributeNamespaceOf(GumboAttributeNamespaceEnum ns)
{
    switch (ns) {
    case GUMBO_ATTR_NAMESPACE_XLINK: return AttributeNamespace::XLink;
    case GUMBO_ATTR_NAMESPACE_XML: return AttributeNamespace::Xml;
    case GUMBO_ATTR_NAMESPACE_XMLNS: return AttributeNamespace::Xmlns;
    case GUMBO_ATTR_NAMESPACE_NONE: break;
    }
    return AttributeNamespace::None;
}

[[nodiscard]] QString fromUtf8(const char *text)
{
    return QString::fromUtf8(text);
}

// gumbo allocates and frees small blocks all through a parse and frees nearly all of them when
// its tree goes. For a page of ordinary size they come from a few large blocks instead, given
// back together once the tree is converted: no frees one by one, no walk over gumbo's tree to
// release it. What gumbo takes in all stays near ten times the page, a little above its peak.
class ParseArena {
public:
    static constexpr qsizetype MaxPageBytes = 4 * 1024 * 1024;

    static void *allocate(void *arena, size_t size) { return static_cast<ParseArena *>(arena)->take(size); }
    static void release(void *, void *) {}

private:
    static constexpr size_t BlockBytes = 256 * 1024;
    static constexpr size_t Alignment = alignof(std::max_align_t);

    void *take(size_t size)
    {
        size = (size + Alignment - 1) & ~(Alignment - 1);
        if (size > m_left) {
            const size_t bytes = std::max(size, BlockBytes);
            m_blocks.push_back(std::make_unique_for_overwrite<std::byte[]>(bytes));
            m_next = m_blocks.back().get();
            m_left = bytes;
        }
        void *block = m_next;
        m_next += size;
        m_left -= size;
        return block;
    }

    std::vector<std::unique_ptr<std::byte[]>> m_blocks;
    std::byte *m_next = nullptr;
    size_t m_left = 0;
};

// gumbo's memory for larger pages comes from malloc, so that its tree can be flattened before
// it is freed.
void *allocate(void *, size_t size)
{
    return std::malloc(size);
}

void release(void *, void *pointer)
{
    std::free(pointer);
}

// gumbo frees its tree recursively, one stack frame per level: an adversarial page can nest
// deeper than any estimate before parsing. Moving every node into the document's child list
// leaves it one level deep.
void flattenForRelease(GumboNode &document, const std::vector<GumboNode *> &nodes)
{
    GumboVector &top = document.v.document.children;
    std::free(top.data);
    top.data = static_cast<void **>(std::malloc(std::max<size_t>(1, nodes.size()) * sizeof(void *)));
    if (!top.data) {
        top.length = top.capacity = 0;
        return;
    }
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (nodes[i]->type == GUMBO_NODE_ELEMENT || nodes[i]->type == GUMBO_NODE_TEMPLATE)
            nodes[i]->v.element.children.length = 0;
        top.data[i] = nodes[i];
    }
    top.length = top.capacity = unsigned(nodes.size());
}

class TreeConverter {
public:
    // Every gumbo node converted, the document excepted.
    [[nodiscard]] const std::vector<GumboNode *> &visited() const { return m_visited; }

    [[nodiscard]] std::unique_ptr<Document> convert(const GumboNode &root)
    {
        auto document = std::make_unique<Document>();
        const GumboDocument &source = root.v.document;
        if (source.has_doctype)
            document->appendChild(std::make_unique<DocumentType>(
                fromUtf8(source.name), fromUtf8(source.public_identifier), fromUtf8(source.system_identifier)));
        // Each frame is a list of gumbo children still to convert and the node they go into.
        struct Frame {
            const GumboVector *children;
            unsigned next;
            Node *parent;
        };
        std::vector<Frame> stack{{&source.children, 0, document.get()}};
        while (!stack.empty()) {
            Frame &frame = stack.back();
            if (frame.next == frame.children->length) {
                stack.pop_back();
                continue;
            }
            auto &child = *static_cast<GumboNode *>(frame.children->data[frame.next++]);
            m_visited.push_back(&child);
            Node *parent = frame.parent;
            if (child.type == GUMBO_NODE_ELEMENT || child.type == GUMBO_NODE_TEMPLATE) {
                Element &element = static_cast<Element &>(parent->appendChild(convertElement(child.v.element)));
                Node *contents = child.type == GUMBO_NODE_TEMPLATE ? static_cast<Node *>(&element.templateContent())
                                                                   : &element;
                if (child.v.element.children.length > 0)
                    stack.push_back({&child.v.element.children, 0, contents});
            } else {
                appendCharacterData(*parent, child);
            }
        }
        return document;
    }

private:
    [[nodiscard]] QString elementName(const GumboElement &element)
    {
        if (element.tag != GUMBO_TAG_UNKNOWN && element.tag_namespace == GUMBO_NAMESPACE_HTML)
            return m_names.tagName(element.tag);
        GumboStringPiece original = element.original_tag;
        if (original.length > 0)
            gumbo_tag_from_original_text(&original);
        if (original.length == 0)
            return element.tag == GUMBO_TAG_UNKNOWN ? QString() : m_names.tagName(element.tag);
        if (element.tag_namespace == GUMBO_NAMESPACE_SVG)
            if (const char *adjusted = gumbo_normalize_svg_tagname(&original))
                return m_names.name(adjusted);
        std::string lower(original.data, original.length);
        for (char &c : lower)
            if (c >= 'A' && c <= 'Z')
                c = char(c + 32);
        return m_names.name(lower);
    }

    [[nodiscard]] std::unique_ptr<Element> convertElement(const GumboElement &source)
    {
        auto element = std::make_unique<Element>(elementName(source), namespaceOf(source.tag_namespace));
        for (unsigned i = 0; i < source.attributes.length; ++i) {
            const auto &attribute = *static_cast<const GumboAttribute *>(source.attributes.data[i]);
            element->appendAttribute({m_names.name(attribute.name), fromUtf8(attribute.value),
                                      attributeNamespaceOf(attribute.attr_namespace)});
        }
        return element;
    }

    void appendCharacterData(Node &parent, const GumboNode &node)
    {
        // Short runs of white space between tags repeat all over a page: they share one text.
        constexpr size_t SharedWhitespaceLength = 16;
        const char *text = node.v.text.text;
        const size_t length = std::strlen(text);
        QString data = node.type == GUMBO_NODE_WHITESPACE && length <= SharedWhitespaceLength
            ? m_names.name(std::string_view(text, length))
            : QString::fromUtf8(text, qsizetype(length));
        if (node.type == GUMBO_NODE_COMMENT) {
            parent.appendChild(std::make_unique<Comment>(std::move(data)));
            return;
        }
        // Adjacent character data is one Text node, as the parser inserts it into the last one.
        if (!parent.children().empty() && parent.children().back()->type() == NodeType::Text) {
            static_cast<Text &>(*parent.children().back()).appendData(data);
            return;
        }
        parent.appendChild(std::make_unique<Text>(std::move(data)));
    }

    NameTable m_names;
    std::vector<GumboNode *> m_visited;
};

[[nodiscard]] GumboOptions parseOptions()
{
    GumboOptions options = kGumboDefaultOptions;
    // The parse errors are never looked at; not recording them saves time and memory.
    options.max_errors = 0;
    return options;
}

[[nodiscard]] std::unique_ptr<Document> parseInArena(const QByteArray &html)
{
    ParseArena arena;
    GumboOptions options = parseOptions();
    options.allocator = ParseArena::allocate;
    options.deallocator = ParseArena::release;
    options.userdata = &arena;
    const GumboOutput *output = gumbo_parse_with_options(&options, html.constData(), size_t(html.size()));
    return TreeConverter().convert(*output->document);
}

[[nodiscard]] std::unique_ptr<Document> parseOnHeap(const QByteArray &html)
{
    GumboOptions options = parseOptions();
    options.allocator = allocate;
    options.deallocator = release;
    GumboOutput *output = gumbo_parse_with_options(&options, html.constData(), size_t(html.size()));
    TreeConverter converter;
    std::unique_ptr<Document> document = converter.convert(*output->document);
    flattenForRelease(*output->document, converter.visited());
    gumbo_destroy_output(&options, output);
    return document;
}

} // namespace

std::unique_ptr<Document> parseHtml(const QByteArray &utf8)
{
    const QByteArray limited = limitNesting(utf8);
    return limited.size() <= ParseArena::MaxPageBytes ? parseInArena(limited) : parseOnHeap(limited);
}

} // namespace dom
