#include "browser/builtin/dom/DocumentModel.h"
#include "browser/builtin/dom/HtmlDocument.h"
#include "browser/builtin/dom/HtmlSerializer.h"
#include "browser/builtin/view/SelectorFilter.h"
#include "browser/builtin/view/StyleSheetPreparer.h"

#include <gtest/gtest.h>

namespace {

TEST(SelectorFilter, LeavesOutOnlyRulesThatNoElementOfThePageCanMatch)
{
    const auto document = buildHtmlDocument("<html class=\"Light\"><body><div id=Main class=\"note\twide\"><p>x</p>"
                                            "<table><tr><td>cell</td></tr></table><a href=#>link</a></div></body></html>",
                                            "text/html", QUrl(QStringLiteral("http://127.0.0.1/")), {});
    const dom::DisplayHtml display = dom::serializeForDisplay(documentModel(*document)->tree());
    const SelectorFilter filter(display.elements);

    // Classes and ids in any case, combinators, pseudo-classes and -elements, attributes, a
    // part the parser puts in, and what the filter cannot read.
    for (const char *selector :
         {"p", "div.note", ".WIDE", "#main", "html.light p", "div > p + table", "*", ":root", "a:hover::before",
          "td:not(.absent)", "[data-absent]", "tbody td", "p:nth-child(2n+1)", ".md\\:flex", "svg|a", "p.note",
          "a[title=\"x] .absent\"]"})
        EXPECT_TRUE(filter.mayMatch(QString::fromUtf8(selector))) << selector;
    for (const char *selector : {".absent", "#absent", "article p", "div .absent span", "span", "a.nav-absent:hover",
                                 "table ~ ul"})
        EXPECT_FALSE(filter.mayMatch(QString::fromUtf8(selector))) << selector;
    EXPECT_TRUE(SelectorFilter().mayMatch(u".absent")) << "a filter of no page keeps every selector";

    StyleSheetPreparer preparer({}, filter);
    EXPECT_EQ(preparer.sheet(u".absent { color: red } p, .gone { color: blue } "
                             u"@media (min-width: 1px) { #absent { color: red } } .note { .absent { color: red } } "
                             u"div { color: green }"),
              "p{color:blue;}\ndiv{color:green;}\n");
}

} // namespace
