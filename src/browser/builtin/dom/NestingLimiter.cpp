#include "browser/builtin/dom/NestingLimiter.h"

#include <QByteArrayView>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

namespace dom {
namespace {

using namespace std::string_view_literals;

// Elements that never hold nested elements in the depth estimate: void elements and those
// whose end tags are optional (the parser closes them when a sibling starts).
constexpr std::string_view NonNesting[] = {
    "area"sv, "base"sv, "basefont"sv, "bgsound"sv, "br"sv, "col"sv, "embed"sv, "frame"sv, "hr"sv,
    "image"sv, "img"sv, "input"sv, "keygen"sv, "link"sv, "meta"sv, "param"sv, "source"sv, "track"sv,
    "wbr"sv, "p"sv, "li"sv, "dt"sv, "dd"sv, "option"sv, "optgroup"sv, "rb"sv, "rt"sv, "rtc"sv, "rp"sv,
    "tr"sv, "td"sv, "th"sv, "tbody"sv, "thead"sv, "tfoot"sv, "colgroup"sv, "html"sv, "head"sv, "body"sv,
};
// Elements whose content is text up to their own end tag.
constexpr std::string_view RawText[] = {
    "script"sv, "style"sv, "textarea"sv, "title"sv, "xmp"sv, "iframe"sv, "noembed"sv, "noframes"sv,
};
// A new one of these closes an open one of the same name instead of nesting in it.
constexpr std::string_view NoSelfNesting[] = {"a"sv, "button"sv, "nobr"sv, "form"sv, "select"sv};
// Formatting elements: their end tags run the adoption agency algorithm.
constexpr std::string_view Formatting[] = {
    "a"sv, "b"sv, "big"sv, "code"sv, "em"sv, "font"sv, "i"sv, "nobr"sv, "s"sv, "small"sv, "strike"sv,
    "strong"sv, "tt"sv, "u"sv,
};
// The parser's "special" elements that can hold others; a formatting element's end tag leaves
// them open (the adoption agency moves the formatting inside them instead).
constexpr std::string_view Special[] = {
    "address"sv, "applet"sv, "article"sv, "aside"sv, "blockquote"sv, "button"sv, "caption"sv, "center"sv,
    "details"sv, "dir"sv, "div"sv, "dl"sv, "fieldset"sv, "figcaption"sv, "figure"sv, "footer"sv, "form"sv,
    "frameset"sv, "h1"sv, "h2"sv, "h3"sv, "h4"sv, "h5"sv, "h6"sv, "header"sv, "hgroup"sv, "listing"sv,
    "main"sv, "marquee"sv, "menu"sv, "nav"sv, "noscript"sv, "object"sv, "ol"sv, "pre"sv, "search"sv,
    "section"sv, "select"sv, "summary"sv, "table"sv, "template"sv, "ul"sv,
};
// End tags do not reach past these, as the parser's "in scope" checks stop at them.
constexpr std::string_view ScopeBoundaries[] = {
    "applet"sv, "caption"sv, "table"sv, "td"sv, "th"sv, "marquee"sv, "object"sv, "template"sv,
};

template <size_t N>
[[nodiscard]] bool isOneOf(std::string_view name, const std::string_view (&names)[N])
{
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

[[nodiscard]] bool isSpace(char c)
{
    return c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' ';
}

[[nodiscard]] bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

class NestingScanner {
public:
    NestingScanner(const QByteArray &html, int maxDepth) : m_html(html), m_maxDepth(size_t(maxDepth)) {}

    // The end tags to insert, with their positions, in order.
    [[nodiscard]] std::vector<std::pair<qsizetype, QByteArray>> scan()
    {
        while (m_pos < m_html.size()) {
            const char *found = static_cast<const char *>(
                std::memchr(m_html.constData() + m_pos, '<', size_t(m_html.size() - m_pos)));
            if (!found)
                break;
            m_pos = found - m_html.constData();
            scanMarkup();
        }
        return std::move(m_insertions);
    }

private:
    [[nodiscard]] bool startsWith(std::string_view prefix) const
    {
        return QByteArrayView(m_html).sliced(m_pos).startsWith(QByteArrayView(prefix.data(), qsizetype(prefix.size())));
    }

    [[nodiscard]] char at(qsizetype position) const
    {
        return position < m_html.size() ? m_html[position] : '\0';
    }

    void skipPast(QByteArrayView needle, qsizetype from)
    {
        const qsizetype found = QByteArrayView(m_html).indexOf(needle, from);
        m_pos = found < 0 ? m_html.size() : found + needle.size();
    }

    void scanMarkup()
    {
        if (startsWith("<!--"))
            return skipPast("-->", m_pos + 2);
        if (at(m_pos + 1) == '/' && isLetter(at(m_pos + 2)))
            return scanEndTag();
        if (isLetter(at(m_pos + 1)))
            return scanStartTag();
        if (at(m_pos + 1) == '!' || at(m_pos + 1) == '/' || at(m_pos + 1) == '?')
            return skipPast(">", m_pos);
        ++m_pos;
    }

    // Reads a tag name from the position, lower-cased into m_name.
    void readName()
    {
        m_name.clear();
        while (m_pos < m_html.size() && !isSpace(m_html[m_pos]) && m_html[m_pos] != '/' && m_html[m_pos] != '>') {
            const char c = m_html[m_pos++];
            m_name += c >= 'A' && c <= 'Z' ? char(c + 32) : c;
        }
    }

    // Moves past the tag's '>', stepping over quoted attribute values; true when it ends in "/>".
    bool skipAttributes()
    {
        bool afterEquals = false;
        while (m_pos < m_html.size()) {
            const char c = m_html[m_pos++];
            if (c == '>')
                return m_pos >= 2 && m_html[m_pos - 2] == '/';
            if ((c == '"' || c == '\'') && afterEquals) {
                const qsizetype close = m_html.indexOf(c, m_pos);
                m_pos = close < 0 ? m_html.size() : close + 1;
                afterEquals = false;
            } else if (c == '=') {
                afterEquals = true;
            } else if (!isSpace(c)) {
                afterEquals = false;
            }
        }
        return false;
    }

    void scanStartTag()
    {
        const qsizetype tagStart = m_pos;
        ++m_pos;
        readName();
        const bool selfClosing = skipAttributes();
        if (m_name == "plaintext") {
            m_pos = m_html.size();
            return;
        }
        if (isOneOf(m_name, RawText)) {
            skipRawText();
            return;
        }
        if (selfClosing || isOneOf(m_name, NonNesting))
            return;
        if (isOneOf(m_name, NoSelfNesting))
            popTo(m_name);
        if (!m_open.empty() && m_open.size() >= m_maxDepth) {
            m_insertions.emplace_back(tagStart, "</" + QByteArray::fromStdString(m_open.back()) + '>');
            m_open.back() = m_name;
            return;
        }
        m_open.push_back(m_name);
    }

    void scanEndTag()
    {
        m_pos += 2;
        readName();
        skipAttributes();
        if (isOneOf(m_name, Formatting))
            closeFormatting(m_name);
        else
            popTo(m_name);
    }

    // A formatting element's end tag closes what was opened inside it, unless a special element
    // was: that one stays open and only the formatting element goes.
    void closeFormatting(const std::string &name)
    {
        for (size_t i = m_open.size(); i-- > 0;) {
            if (m_open[i] != name)
                continue;
            const bool specialInside = std::any_of(m_open.begin() + std::ptrdiff_t(i) + 1, m_open.end(),
                                                   [](const std::string &open) { return isOneOf(open, Special); });
            if (specialInside)
                m_open.erase(m_open.begin() + std::ptrdiff_t(i));
            else
                m_open.resize(i);
            return;
        }
    }

    // Closes the open element of that name and everything inside it, when it is in scope.
    void popTo(const std::string &name)
    {
        for (size_t i = m_open.size(); i-- > 0;) {
            if (m_open[i] == name) {
                m_open.resize(i);
                return;
            }
            if (isOneOf(m_open[i], ScopeBoundaries))
                return;
        }
    }

    void skipRawText()
    {
        const QByteArray endTag = "</" + QByteArray::fromStdString(m_name);
        while (m_pos < m_html.size()) {
            const qsizetype found = m_html.indexOf("</", m_pos);
            if (found < 0) {
                m_pos = m_html.size();
                return;
            }
            m_pos = found + 2;
            if (QByteArrayView(m_html).sliced(found, std::min(endTag.size(), m_html.size() - found)).compare(endTag, Qt::CaseInsensitive) == 0) {
                m_pos = found;
                return;
            }
        }
    }

    const QByteArray &m_html;
    const size_t m_maxDepth;
    qsizetype m_pos = 0;
    std::string m_name;
    std::vector<std::string> m_open;
    std::vector<std::pair<qsizetype, QByteArray>> m_insertions;
};

} // namespace

QByteArray limitNesting(const QByteArray &html, int maxDepth)
{
    const auto insertions = NestingScanner(html, maxDepth).scan();
    if (insertions.empty())
        return html;
    QByteArray limited;
    limited.reserve(html.size() + html.size() / 4);
    qsizetype from = 0;
    for (const auto &[position, endTag] : insertions) {
        limited.append(html.constData() + from, position - from);
        limited.append(endTag);
        from = position;
    }
    limited.append(html.constData() + from, html.size() - from);
    return limited;
}

} // namespace dom
