#include "SuiteData.h"

#include "browser/builtin/dom/DocumentModel.h"
#include "browser/builtin/dom/HtmlDocument.h"
#include "browser/builtin/dom/HtmlParser.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The html5lib tree construction cases: each page is parsed as a whole document and its tree is
// written as the suite writes it ("| " lines, two spaces a level, attributes sorted).
constexpr double TreeFloorPercent = 99.7;

[[nodiscard]] QString indent(int depth)
{
    return QStringLiteral("| ") + QString(depth * 2, u' ');
}

[[nodiscard]] QString qualifiedAttributeName(const dom::Attribute &attribute)
{
    switch (attribute.ns) {
    case dom::AttributeNamespace::XLink: return QStringLiteral("xlink ") + attribute.name;
    case dom::AttributeNamespace::Xml: return QStringLiteral("xml ") + attribute.name;
    case dom::AttributeNamespace::Xmlns: return QStringLiteral("xmlns ") + attribute.name;
    case dom::AttributeNamespace::None: break;
    }
    return attribute.name;
}

void dumpElement(const dom::Element &element, int depth, QStringList &lines)
{
    const char *prefix = element.elementNamespace() == dom::Namespace::Svg ? "svg "
        : element.elementNamespace() == dom::Namespace::MathMl            ? "math "
                                                                          : "";
    lines << indent(depth) + u'<' + QLatin1StringView(prefix) + element.localName() + u'>';
    QStringList attributes;
    for (const dom::Attribute &attribute : element.attributes())
        attributes << indent(depth + 1) + qualifiedAttributeName(attribute) + QStringLiteral("=\"") + attribute.value + u'"';
    std::sort(attributes.begin(), attributes.end());
    lines << attributes;
}

void dumpChildren(const dom::Node &parent, int depth, QStringList &lines)
{
    for (const auto &child : parent.children()) {
        switch (child->type()) {
        case dom::NodeType::Element: {
            const auto &element = static_cast<const dom::Element &>(*child);
            dumpElement(element, depth, lines);
            if (const dom::DocumentFragment *content = element.templateContentIfAny(); content || element.is(QLatin1StringView("template"))) {
                lines << indent(depth + 1) + QStringLiteral("content");
                if (content)
                    dumpChildren(*content, depth + 2, lines);
            }
            dumpChildren(element, depth + 1, lines);
            break;
        }
        case dom::NodeType::Text:
            lines << indent(depth) + u'"' + static_cast<const dom::Text &>(*child).data() + u'"';
            break;
        case dom::NodeType::Comment:
            lines << indent(depth) + QStringLiteral("<!-- ") + static_cast<const dom::Comment &>(*child).data() + QStringLiteral(" -->");
            break;
        case dom::NodeType::DocumentType: {
            const auto &doctype = static_cast<const dom::DocumentType &>(*child);
            QString text = QStringLiteral("<!DOCTYPE ") + doctype.name();
            if (!doctype.publicId().isEmpty() || !doctype.systemId().isEmpty())
                text += QStringLiteral(" \"%1\" \"%2\"").arg(doctype.publicId(), doctype.systemId());
            lines << indent(depth) + text + u'>';
            break;
        }
        case dom::NodeType::Document:
        case dom::NodeType::DocumentFragment: break;
        }
    }
}

[[nodiscard]] QString treeDump(const dom::Document &document)
{
    QStringList lines;
    dumpChildren(document, 0, lines);
    return lines.join(u'\n');
}

TEST(TreeSuite, PagesBuildTheTreesBrowsersBuild)
{
    PassRate rate("HTML tree construction", TreeFloorPercent);
    dom::HtmlParser parser;
    for (const DatCase &c : readDatFolder(QStringLiteral("html-tree"))) {
        if (c.contains("document-fragment")) {
            rate.skip("fragment (the engine parses whole pages only)");
            continue;
        }
        if (c.contains("script-on")) {
            rate.skip("scripted (the engine runs no scripts)");
            continue;
        }
        const auto document = buildHtmlDocument(c.at("data"), "text/html; charset=utf-8", QUrl(), {}, parser);
        const QString dump = treeDump(documentModel(*document)->tree());
        const QString expected = QString::fromUtf8(c.at("document"));
        rate.count(dump == expected);
        if (dump != expected && qEnvironmentVariableIsSet("NAVRELAY_SUITE_FAILURES"))
            std::printf("== %s\n%s\n-- expected\n%s\n-- built\n%s\n", c.at("file").constData(), c.at("data").constData(),
                        qPrintable(expected), qPrintable(dump));
    }
    rate.print();
    EXPECT_GE(rate.percent(), rate.floorPercent());
}

} // namespace
