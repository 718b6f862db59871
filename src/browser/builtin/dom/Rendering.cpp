#include "browser/builtin/dom/Rendering.h"

#include "browser/builtin/dom/FormControls.h"

#include <QHash>

namespace dom {
namespace {

// How the default style sheet displays each HTML element that is not inline.
[[nodiscard]] const QHash<QString, Display> &defaultDisplays()
{
    static const QHash<QString, Display> displays = [] {
        QHash<QString, Display> table;
        for (const char *name : {"head", "template", "meta", "link", "base", "area", "datalist", "noembed", "noframes",
                                 "param", "rp", "col", "colgroup", "script", "style", "title"})
            table.insert(QString::fromLatin1(name), Display::None);
        for (const char *name : {"html", "body", "address", "blockquote", "center", "dialog", "div", "figure",
                                 "figcaption", "footer", "form", "header", "hr", "legend", "listing", "main", "p",
                                 "plaintext", "pre", "search", "xmp", "article", "aside", "h1", "h2", "h3", "h4",
                                 "h5", "h6", "hgroup", "nav", "section", "dir", "dd", "dl", "dt", "menu", "ol", "ul",
                                 "li", "fieldset", "details", "summary", "table", "caption", "option", "optgroup",
                                 "frameset"})
            table.insert(QString::fromLatin1(name), Display::Block);
        for (const char *name : {"img", "input", "textarea", "iframe", "frame", "video", "audio", "canvas", "object",
                                 "embed", "meter", "progress", "image"})
            table.insert(QString::fromLatin1(name), Display::Atomic);
        table.insert(QStringLiteral("tr"), Display::TableRow);
        table.insert(QStringLiteral("td"), Display::TableCell);
        table.insert(QStringLiteral("th"), Display::TableCell);
        table.insert(QStringLiteral("button"), Display::InlineBlock);
        table.insert(QStringLiteral("select"), Display::InlineBlock);
        return table;
    }();
    return displays;
}

// A closed details element shows only its first summary.
[[nodiscard]] bool isHiddenInClosedDetails(const Element &element)
{
    const Element *details = element.parentElement();
    if (!details || rendersChildText(*details))
        return false;
    for (const auto &child : details->children())
        if (const Element *summary = child->asElement(); summary && summary->is(QLatin1StringView("summary")))
            return summary != &element;
    return true;
}

} // namespace

bool rendersChildText(const Element &element)
{
    return !element.is(QLatin1StringView("details")) || element.hasAttribute(u"open");
}

Display displayOf(const Element &element)
{
    const QString &name = element.localName();
    if (!element.isHtml()) {
        // Script, style and title content is never rendered, in SVG as in HTML.
        const bool hidden = name == QLatin1StringView("script") || name == QLatin1StringView("style")
            || name == QLatin1StringView("title");
        return hidden ? Display::None : Display::Inline;
    }
    if (element.hasAttribute(u"hidden") || isHiddenInClosedDetails(element))
        return Display::None;
    if (name == QLatin1StringView("input") && inputType(element) == QLatin1StringView("hidden"))
        return Display::None;
    if (name == QLatin1StringView("dialog") && !element.hasAttribute(u"open"))
        return Display::None;
    return defaultDisplays().value(name, Display::Inline);
}

bool isBeingRendered(const Element &element)
{
    const Node *node = &element;
    for (; node->parent(); node = node->parent())
        if (const Element *ancestor = node->asElement(); ancestor && displayOf(*ancestor) == Display::None)
            return false;
    return node->type() == NodeType::Document;
}

bool preservesWhiteSpace(const Element &element)
{
    return element.isAnyOf({"pre", "listing", "xmp", "plaintext", "textarea"});
}

bool isParagraph(const Element &element)
{
    return element.is(QLatin1StringView("p"));
}

} // namespace dom
