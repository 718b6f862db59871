#include "browser/builtin/dom/HtmlSerializer.h"

#include <string>
#include <vector>

namespace dom {
namespace {

[[nodiscard]] bool isVoidElement(const Element &element)
{
    return element.isAnyOf({"area", "base", "basefont", "bgsound", "br", "col", "embed", "frame", "hr", "img",
                             "input", "keygen", "link", "meta", "param", "source", "track", "wbr"});
}

// Text in these elements is written as it is. noscript is not among them: without scripts
// its content is parsed as markup.
[[nodiscard]] bool isRawTextParent(const Node *parent)
{
    const Element *element = parent ? parent->asElement() : nullptr;
    return element && element->isAnyOf({"style", "script", "xmp", "iframe", "noembed", "noframes", "plaintext"});
}

// The serialisation's text, gathered in a plain UTF-16 buffer: QString's append checks sharing
// and capacity on every call, which costs more than the short pieces a page is written in.
class MarkupWriter {
public:
    void put(char16_t c) { m_text.push_back(c); }
    void put(QStringView text) { m_text.append(text.utf16(), size_t(text.size())); }
    void put(QLatin1StringView text)
    {
        for (const char c : text)
            m_text.push_back(char16_t(uchar(c)));
    }
    [[nodiscard]] QString text() const { return QString::fromUtf16(m_text.data(), qsizetype(m_text.size())); }
    [[nodiscard]] QStringView view() const { return QStringView(m_text.data(), qsizetype(m_text.size())); }
    void clear() { m_text.clear(); }

private:
    std::u16string m_text;
};

enum class EscapeMode { Text, Attribute };

[[nodiscard]] QLatin1StringView entityFor(char16_t c, EscapeMode mode)
{
    switch (c) {
    case u'&': return QLatin1StringView("&amp;");
    case 0xA0: return QLatin1StringView("&nbsp;");
    case u'<': return QLatin1StringView("&lt;");
    case u'>': return QLatin1StringView("&gt;");
    case u'"': return mode == EscapeMode::Attribute ? QLatin1StringView("&quot;") : QLatin1StringView();
    default: return {};
    }
}

// "Escaping a string": &, no-break space, < and > always; " in attribute values. The text
// between two escaped characters is appended in one piece.
void appendEscaped(MarkupWriter &out, QStringView text, EscapeMode mode)
{
    qsizetype plainFrom = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QLatin1StringView entity = entityFor(text[i].unicode(), mode);
        if (entity.isEmpty())
            continue;
        out.put(text.sliced(plainFrom, i - plainFrom));
        out.put(entity);
        plainFrom = i + 1;
    }
    out.put(text.sliced(plainFrom));
}

void appendAttributeName(MarkupWriter &out, const Attribute &attribute)
{
    switch (attribute.ns) {
    case AttributeNamespace::None: break;
    case AttributeNamespace::Xml: out.put(QLatin1StringView("xml:")); break;
    case AttributeNamespace::XLink: out.put(QLatin1StringView("xlink:")); break;
    case AttributeNamespace::Xmlns:
        if (attribute.name != QLatin1StringView("xmlns"))
            out.put(QLatin1StringView("xmlns:"));
        break;
    }
    out.put(attribute.name);
}

// The start tag without its closing '>'.
void appendOpenStartTag(MarkupWriter &out, const Element &element)
{
    out.put(u'<');
    out.put(element.localName());
    for (const Attribute &attribute : element.attributes()) {
        out.put(u' ');
        appendAttributeName(out, attribute);
        out.put(QLatin1StringView("=\""));
        appendEscaped(out, attribute.value, EscapeMode::Attribute);
        out.put(u'"');
    }
}

// Elements whose children a view does not lay out: it draws these controls from their state,
// and neither script text nor an iframe's fallback text is ever shown.
[[nodiscard]] bool hasHiddenChildren(const Element &element)
{
    return element.isAnyOf({"select", "textarea", "script", "iframe"});
}

enum class Purpose { Markup, Display };

// The serialisation runs over the tree with its own stack: each frame is a node whose children
// are being written, and the element whose end tag follows them (null for the starting node).
class Serializer {
public:
    explicit Serializer(Purpose purpose = Purpose::Markup, DisplayBounds bounds = {})
        : m_purpose(purpose), m_bounds(bounds)
    {
    }

    [[nodiscard]] const std::vector<const Element *> &numberedElements() const { return m_numbered; }

    [[nodiscard]] QString serialize(const Node &root)
    {
        write(root, nullptr);
        return m_out.text();
    }

    // The serialisation in pieces of at least PieceLength characters but the last.
    void serializeInPieces(const Node &root, const std::function<bool(QStringView)> &read)
    {
        if (write(root, &read) && !m_out.view().isEmpty())
            read(m_out.view());
    }

private:
    static constexpr size_t PieceLength = 4096;

    struct Frame {
        const Node *node;
        const Element *element;
        size_t next = 0;
    };

    // Writes the root's children; with `read`, hands what is written over whenever a piece is
    // full. False when `read` asked for no more.
    bool write(const Node &root, const std::function<bool(QStringView)> *read)
    {
        push(root, nullptr);
        while (!m_stack.empty()) {
            if (read && size_t(m_out.view().size()) >= PieceLength) {
                if (!(*read)(m_out.view()))
                    return false;
                m_out.clear();
            }
            Frame &frame = m_stack.back();
            if (frame.next == frame.node->children().size()) {
                if (frame.element) {
                    m_out.put(QLatin1StringView("</"));
                    m_out.put(frame.element->localName());
                    m_out.put(u'>');
                }
                m_stack.pop_back();
                continue;
            }
            writeNode(*frame.node->children()[frame.next++]);
        }
        return true;
    }

    void push(const Node &node, const Element *element)
    {
        const Element *asElement = node.asElement();
        if (m_purpose == Purpose::Display && asElement && hasHiddenChildren(*asElement)) {
            m_stack.push_back({&node, element, node.children().size()});
            return;
        }
        // A view shows no template contents; markup carries them.
        if (m_purpose == Purpose::Markup && asElement && asElement->is(QLatin1StringView("template"))
            && asElement->templateContentIfAny()) {
            m_stack.push_back({asElement->templateContentIfAny(), element});
            return;
        }
        m_stack.push_back({&node, element});
    }

    void writeNode(const Node &node)
    {
        // Past the bound, the open elements are only closed.
        if (m_numbered.size() >= m_bounds.maxElements)
            return;
        switch (node.type()) {
        case NodeType::Element: {
            const Element &element = static_cast<const Element &>(node);
            if (m_purpose == Purpose::Display && m_stack.size() > m_bounds.maxDepth) {
                writeUnwrapped(element);
                break;
            }
            appendOpenStartTag(m_out, element);
            if (m_purpose == Purpose::Display)
                appendDisplayIndex(element);
            m_out.put(u'>');
            if (!isVoidElement(element))
                push(element, &element);
            break;
        }
        case NodeType::Text: {
            const QString &data = static_cast<const Text &>(node).data();
            if (isRawTextParent(node.parent()))
                m_out.put(data);
            else
                appendEscaped(m_out, data, EscapeMode::Text);
            break;
        }
        case NodeType::Comment:
            if (m_purpose == Purpose::Display)
                break;
            m_out.put(QLatin1StringView("<!--"));
            m_out.put(static_cast<const Comment &>(node).data());
            m_out.put(QLatin1StringView("-->"));
            break;
        case NodeType::DocumentType:
            m_out.put(QLatin1StringView("<!DOCTYPE "));
            m_out.put(static_cast<const DocumentType &>(node).name());
            m_out.put(u'>');
            break;
        case NodeType::Document:
        case NodeType::DocumentFragment: break;
        }
    }

    // An element too deep to show as one: what it holds is shown in its place.
    void writeUnwrapped(const Element &element)
    {
        if (!isVoidElement(element) && !hasHiddenChildren(element))
            m_stack.push_back({&element, nullptr});
    }

    void appendDisplayIndex(const Element &element)
    {
        m_out.put(u' ');
        m_out.put(QLatin1StringView(DisplayIndexAttribute));
        m_out.put(QLatin1StringView("=\""));
        m_out.put(QString::number(m_numbered.size()));
        m_out.put(u'"');
        m_numbered.push_back(&element);
    }

    const Purpose m_purpose;
    const DisplayBounds m_bounds;
    MarkupWriter m_out;
    std::vector<Frame> m_stack;
    std::vector<const Element *> m_numbered;
};

} // namespace

QString serializeChildren(const Node &node)
{
    return Serializer().serialize(node);
}

void readSerializedChildren(const Node &node, const std::function<bool(QStringView)> &read)
{
    Serializer().serializeInPieces(node, read);
}

DisplayHtml serializeForDisplay(Document &document, DisplayBounds bounds)
{
    Serializer serializer(Purpose::Display, bounds);
    DisplayHtml display;
    display.html = serializer.serialize(document);
    // A layout engine reading C strings would end the page at the first NUL.
    display.html.replace(QChar(0), QChar(0xFFFD));
    display.elements.reserve(serializer.numberedElements().size());
    // The elements belong to the changeable document the caller passed.
    for (const Element *element : serializer.numberedElements())
        display.elements.push_back(const_cast<Element *>(element));
    return display;
}

} // namespace dom
