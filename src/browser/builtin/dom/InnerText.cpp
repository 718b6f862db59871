#include "browser/builtin/dom/InnerText.h"

#include "browser/builtin/dom/AsciiText.h"
#include "browser/builtin/dom/LineContext.h"
#include "browser/builtin/dom/Rendering.h"
#include "browser/builtin/dom/TreeWalk.h"

#include <algorithm>
#include <functional>

namespace dom {
namespace {

[[nodiscard]] bool isTableCell(const Element &element)
{
    return displayOf(element) == Display::TableCell;
}

[[nodiscard]] const Element *lastChildElement(const Node &parent, const std::function<bool(const Element &)> &test)
{
    for (auto child = parent.children().rbegin(); child != parent.children().rend(); ++child)
        if (const Element *element = (*child)->asElement(); element && test(*element))
            return element;
    return nullptr;
}

[[nodiscard]] const Element *lastCellOf(const Element &row)
{
    return lastChildElement(row, isTableCell);
}

// The last row of a table or row group, in tree order (rows of nested tables do not count).
[[nodiscard]] const Element *lastRowOf(const Element &tableOrGroup)
{
    const auto isRow = [](const Element &element) { return element.is(QLatin1StringView("tr")); };
    for (auto child = tableOrGroup.children().rbegin(); child != tableOrGroup.children().rend(); ++child) {
        const Element *element = (*child)->asElement();
        if (!element)
            continue;
        if (isRow(*element))
            return element;
        if (element->isAnyOf({"thead", "tbody", "tfoot"}))
            if (const Element *row = lastChildElement(*element, isRow))
                return row;
    }
    return nullptr;
}

// The HTML innerText getter over the default style sheet (there are no author styles):
// - an element that is not being rendered gives its text content;
// - the "rendered text collection steps" run over the descendants: content that is not
//   rendered is skipped; text goes through CSS white-space processing on the fly (runs of
//   collapsible white space become one space, dropped at the start and end of each line; pre,
//   listing, xmp, plaintext and textarea keep theirs); <br> gives a line feed; a table cell
//   followed by another gives a tab, a row followed by another a line feed; a <p> requires
//   two line breaks before and after it, other block-level boxes one;
// - required line breaks are written only between pieces of text, the largest count of a run
//   winning, so that leading and trailing ones vanish;
// - an inline root starts where its line has it start: after text, its leading white space is
//   a blank, and a blank left at its end stays when the line goes on after it.
// Not done, as nothing here can ask for them: visibility, text-transform and generated content.
class RenderedTextCollector {
public:
    RenderedTextCollector(int preformattedDepth, bool atLineStart)
        : m_preformattedDepth(preformattedDepth)
        , m_atLineStart(atLineStart)
    {
    }

    [[nodiscard]] QString collect(const Element &root)
    {
        // The root's own table context: cells of a root row, rows of a root table or row group.
        if (root.is(QLatin1StringView("tr")))
            m_lastCells.push_back(lastCellOf(root));
        if (root.isAnyOf({"table", "thead", "tbody", "tfoot"}))
            m_lastRows.push_back(lastRowOf(root));
        walkDescendants(
            root, [this](const Node &node) { return enter(node); }, [this](const Node &node) { leave(node); });
        return m_text;
    }
    // White space at the end that becomes a blank if the line goes on.
    [[nodiscard]] bool endsInSpace() const { return m_pendingSpace; }

private:
    [[nodiscard]] Walk enter(const Node &node)
    {
        if (node.type() == NodeType::Text) {
            if (const Element *parent = node.parentElement(); !parent || rendersChildText(*parent))
                addText(static_cast<const Text &>(node).data());
            return Walk::Continue;
        }
        const Element *element = node.asElement();
        if (!element)
            return Walk::SkipChildren;
        const Display display = displayOf(*element);
        if (display == Display::None) {
            m_skipped.push_back(element);
            return Walk::SkipChildren;
        }
        if (preservesWhiteSpace(*element))
            ++m_preformattedDepth;
        if (element->is(QLatin1StringView("br"))) {
            write(QStringLiteral("\n"));
            startLine();
            return Walk::SkipChildren;
        }
        if (element->is(QLatin1StringView("table")))
            m_lastRows.push_back(lastRowOf(*element));
        switch (display) {
        case Display::Block: requireLineBreaks(isParagraph(*element) ? 2 : 1); break;
        case Display::TableRow:
            m_lastCells.push_back(lastCellOf(*element));
            startLine();
            break;
        case Display::TableCell: startLine(); break;
        case Display::InlineBlock:
            flushSpace();
            startLine();
            break;
        case Display::Atomic:
            flushSpace();
            m_atLineStart = false;
            return Walk::SkipChildren;
        case Display::Inline:
        case Display::None: break;
        }
        return Walk::Continue;
    }

    void leave(const Node &node)
    {
        const Element *element = node.asElement();
        if (!element)
            return;
        if (!m_skipped.empty() && m_skipped.back() == element) {
            m_skipped.pop_back();
            return;
        }
        if (preservesWhiteSpace(*element))
            --m_preformattedDepth;
        if (element->is(QLatin1StringView("table")))
            m_lastRows.pop_back();
        switch (displayOf(*element)) {
        case Display::Block: requireLineBreaks(isParagraph(*element) ? 2 : 1); break;
        case Display::TableCell:
            startLine();
            if (!m_lastCells.empty() && m_lastCells.back() && m_lastCells.back() != element)
                write(QStringLiteral("\t"));
            break;
        case Display::TableRow:
            m_lastCells.pop_back();
            startLine();
            if (!m_lastRows.empty() && m_lastRows.back() && m_lastRows.back() != element)
                write(QStringLiteral("\n"));
            break;
        case Display::InlineBlock:
            m_pendingSpace = false;
            m_atLineStart = false;
            break;
        case Display::Atomic:
        case Display::Inline:
        case Display::None: break;
        }
    }

    void addText(const QString &data)
    {
        if (m_preformattedDepth > 0) {
            flushSpace();
            write(data);
            m_atLineStart = false;
            return;
        }
        QString run;
        for (const QChar c : data) {
            if (isAsciiWhitespace(c)) {
                if (!m_atLineStart)
                    m_pendingSpace = true;
                continue;
            }
            if (m_pendingSpace)
                run += u' ';
            m_pendingSpace = false;
            m_atLineStart = false;
            run += c;
        }
        write(run);
    }

    void flushSpace()
    {
        if (m_pendingSpace)
            write(QStringLiteral(" "));
        m_pendingSpace = false;
    }

    void startLine()
    {
        m_pendingSpace = false;
        m_atLineStart = true;
    }

    void requireLineBreaks(int count)
    {
        m_requiredBreaks = std::max(m_requiredBreaks, count);
        startLine();
    }

    void write(const QString &piece)
    {
        if (piece.isEmpty())
            return;
        if (!m_text.isEmpty())
            m_text += QString(m_requiredBreaks, u'\n');
        m_requiredBreaks = 0;
        m_text += piece;
    }

    QString m_text;
    std::vector<const Element *> m_skipped;
    std::vector<const Element *> m_lastCells; // of the rows being walked, innermost last
    std::vector<const Element *> m_lastRows;  // of the tables being walked, innermost last
    int m_preformattedDepth = 0;
    int m_requiredBreaks = 0;
    bool m_pendingSpace = false;
    bool m_atLineStart = true;
};

[[nodiscard]] bool holdsOnlyText(const Element &element)
{
    return element.isAnyOf({"textarea", "title", "script", "style"});
}

} // namespace

QString innerText(const Element &element)
{
    // An element that is not rendered, or whose text is not laid out as boxes, gives its text.
    if (!isBeingRendered(element) || holdsOnlyText(element))
        return element.descendantTextContent();
    int preformattedDepth = 0;
    for (const Element *ancestor = &element; ancestor; ancestor = ancestor->parentElement())
        if (preservesWhiteSpace(*ancestor))
            ++preformattedDepth;
    if (preformattedDepth > 0 || displayOf(element) != Display::Inline)
        return RenderedTextCollector(preformattedDepth, true).collect(element);
    // White space collapses across the element's ends as the whole line lays it out.
    const Node &container = lineContainer(element);
    RenderedTextCollector collector(0, !drawnRightBefore(element, container));
    QString text = collector.collect(element);
    if (collector.endsInSpace() && lineGoesOnAfter(element, container))
        text += u' ';
    return text;
}

void setInnerText(Element &element, const QString &text, DocumentModel &model)
{
    std::vector<std::unique_ptr<Node>> children;
    if (holdsOnlyText(element)) {
        if (!text.isEmpty())
            children.push_back(std::make_unique<Text>(text));
        model.replaceChildren(element, std::move(children));
        return;
    }
    // Each CR LF pair, CR or LF becomes a <br>; the text between becomes Text nodes.
    QString run;
    const auto flushRun = [&] {
        if (!run.isEmpty())
            children.push_back(std::make_unique<Text>(run));
        run.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n') {
            run += c;
            continue;
        }
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        flushRun();
        children.push_back(std::make_unique<Element>(QStringLiteral("br"), Namespace::Html));
    }
    flushRun();
    model.replaceChildren(element, std::move(children));
}

} // namespace dom
