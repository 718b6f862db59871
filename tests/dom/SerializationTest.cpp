#include "DomTestPage.h"

#include "browser/builtin/dom/DocumentModel.h"
#include "browser/builtin/dom/FormControls.h"
#include "browser/builtin/dom/HtmlSerializer.h"

#include <QRegularExpression>

namespace {

TEST(InnerHtml, SerialisesByTheHtmlFragmentRules)
{
    const struct {
        const char *html;
        QString expected;
    } cases[] = {
        {"<div id=t>a &amp; b &lt; c &gt; d</div>", "a &amp; b &lt; c &gt; d"},
        {"<div id=t>&nbsp;\"q\" 'a'</div>", "&nbsp;\"q\" 'a'"},
        {"<div id=t><input disabled value='x\"y&amp;'></div>", "<input disabled=\"\" value=\"x&quot;y&amp;\">"},
        {"<div id=t><p title='a title of more than sixteen characters, \"quoted\" &amp; more'>plain words for more "
         "than one block, then &lt;b&gt; &amp; &nbsp; and \"quotes\" stay</p></div>",
         "<p title=\"a title of more than sixteen characters, &quot;quoted&quot; &amp; more\">plain words for more "
         "than one block, then &lt;b&gt; &amp; &nbsp; and \"quotes\" stay</p>"},
        {"<div id=t><br><img src=a.png alt='<>'></div>", "<br><img src=\"a.png\" alt=\"&lt;&gt;\">"},
        {"<div id=t><script>if (a < b && c) {}</script></div>", "<script>if (a < b && c) {}</script>"},
        {"<div id=t><style>p > a {}</style></div>", "<style>p > a {}</style>"},
        {"<div id=t><xmp><b></xmp></div>", "<xmp><b></xmp>"},
        {"<div id=t><textarea>a<b></textarea></div>", "<textarea>a&lt;b&gt;</textarea>"},
        {"<div id=t><noscript><b>x</b></noscript></div>", "<noscript><b>x</b></noscript>"},
        {"<div id=t><template><b>x</b></template></div>", "<template><b>x</b></template>"},
        {"<template id=t><b>x</b>y</template>", "<b>x</b>y"},
        {"<div id=t><!-- note --><p>x</div>", "<!-- note --><p>x</p>"},
        {"<div id=t><p>unclosed<p>two</div>", "<p>unclosed</p><p>two</p>"},
        {"<div id=t><P CLASS=A>x</P></div>", "<p class=\"A\">x</p>"},
        {"<div id=t><svg viewBox='0 0 1 1'><foreignObject></foreignObject></svg></div>",
         "<svg viewBox=\"0 0 1 1\"><foreignObject></foreignObject></svg>"},
        {"<svg id=t><use xlink:href='#a'/></svg>", "<use xlink:href=\"#a\"></use>"},
        {"<table id=t><tr><td>1</table>", "<tbody><tr><td>1</td></tr></tbody>"},
        {"<div id=t><custom-el x=1>c</custom-el></div>", "<custom-el x=\"1\">c</custom-el>"},
    };
    for (const auto &c : cases) {
        const DomTestPage page(c.html);
        EXPECT_EQ(page.byId("t")->innerHTML(), c.expected) << c.html;
    }
}

TEST(InnerHtml, ComesInPiecesUntilTheReaderHasEnough)
{
    QByteArray html = "<body>";
    for (int i = 0; i < 2000; ++i)
        html += "<p class=x>item " + QByteArray::number(i) + " &amp; more</p>";
    const DomTestPage page(html);
    const auto body = page.document->body();
    QString joined;
    int pieces = 0;
    body->readInnerHTML([&](QStringView piece) {
        joined += piece;
        ++pieces;
        return true;
    });
    EXPECT_EQ(joined, body->innerHTML());
    EXPECT_GT(pieces, 4);

    pieces = 0;
    body->readInnerHTML([&](QStringView piece) {
        EXPECT_TRUE(piece.startsWith(u"<p class=\"x\">item 0 "));
        return ++pieces > 1;
    });
    EXPECT_EQ(pieces, 1);
}

// Markup at the edges of the tokenizer and tree construction rules, each case a place where a
// parser can go its own way.
TEST(DocumentHtml, OddMarkupBuildsTheTreeOfTheStandard)
{
    const QString head = "<html><head></head><body>";
    const QString end = "</body></html>";
    const struct {
        const char *html;
        QString expected;
    } cases[] = {
        {"<p a=1 a=2 B=3>", head + "<p a=\"1\" b=\"3\"></p>" + end},
        {"<svg xlink:href=1 xlink:href=2 href=3>", head + "<svg xlink:href=\"1\" href=\"3\"></svg>" + end},
        {"x<ab", head + "x" + end},
        {"x<ab c='d", head + "x" + end},
        {"<style>a</b>&amp;</style>", "<html><head><style>a</b>&amp;</style></head><body></body></html>"},
        {"<xmp>&lt;</x", head + "<xmp>&lt;</x</xmp>" + end},
        {"<table><image src=x><tr><td>1</table>", head + "<img src=\"x\"><table><tbody><tr><td>1</td></tr></tbody></table>" + end},
        {"<form>\n<input>\n</form>", head + "<form>\n<input>\n</form>" + end},
        {"<p>a</x>b</x>c<!-- -->d", head + "<p>abc<!-- -->d</p>" + end},
        {"<DIV \x01x=\x0b>\x0b</div>", head + "<div \x01x=\"\x0b\">\x0b</div>" + end},
        // A page cut inside a tag still has its head and body, and no element of the cut tag.
        {"<script></script ", "<html><head><script></script></head><body></body></html>"},
        {"</b test", head + end},
        // A select holds what any element holds; an input or another select ends it.
        {"<select><hr><svg></svg><div>d</div><option>o<input>",
         head + "<select><hr><svg></svg><div>d</div><option>o</option></select><input>" + end},
        {"<b><select><option>x</b>y", head + "<b><select><option>xy</option></select></b>" + end},
        {"<select><button><selectedcontent></selectedcontent></button><option>X<option selected>Y",
         head + "<select><button><selectedcontent>Y</selectedcontent></button><option>X</option><option selected=\"\">Y</option></select>" + end},
        {"<p>a<search>b</search>c", head + "<p>a</p><search>b</search>c" + end},
        {"</search></select><p>x", head + "<p>x</p>" + end},
        {"<svg></p>x", head + "<svg></svg><p></p>x" + end},
        {"<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 3.2//EN\"><p><table>",
         "<!DOCTYPE html><html><head></head><body><p><table></table></p></body></html>"},
    };
    for (const auto &c : cases) {
        const DomTestPage page(c.html);
        EXPECT_EQ(documentHtml(*page.document), c.expected) << c.html;
    }
}

TEST(DisplayHtml, NumbersEveryElementAndLeavesOutWhatAViewDrawsItself)
{
    const DomTestPage page("<p id=a>x<!-- c -->y</p><script>var s = '<b>';</script><select><option>o</select>"
                           "<textarea>t</textarea><template><b>in</b></template><b id=n></b>");
    page.byId("n")->setInnerText(QStringLiteral("z") + QChar(0));
    const auto model = documentModel(*page.document);
    const dom::DisplayHtml display = dom::serializeForDisplay(model->tree());
    EXPECT_EQ(display.html, QStringLiteral("<html data-navrelay-index=\"0\"><head data-navrelay-index=\"1\"></head>"
                                           "<body data-navrelay-index=\"2\"><p id=\"a\" data-navrelay-index=\"3\">xy</p>"
                                           "<script data-navrelay-index=\"4\"></script><select data-navrelay-index=\"5\"></select>"
                                           "<textarea data-navrelay-index=\"6\"></textarea>"
                                           "<template data-navrelay-index=\"7\"></template>"
                                           "<b id=\"n\" data-navrelay-index=\"8\">z\uFFFD</b></body></html>"));
    ASSERT_EQ(display.elements.size(), 9u);
    EXPECT_EQ(display.elements[3], dom::elementById(model->tree(), "a"));
}

TEST(DisplayHtml, BoundsCutTheElementsAndUnwrapTheDeepOnes)
{
    const DomTestPage page("<div><p>a<b>b<i>c</i></b><img></p></div><p>after");
    const auto model = documentModel(*page.document);
    const auto shown = [&](dom::DisplayBounds bounds) {
        return dom::serializeForDisplay(model->tree(), bounds).html.remove(QRegularExpression(" data-navrelay-index=\"\\d+\""));
    };
    EXPECT_EQ(shown({6, SIZE_MAX}), QStringLiteral("<html><head></head><body><div><p>a<b></b></p></div></body></html>"));
    EXPECT_EQ(shown({SIZE_MAX, 4}), QStringLiteral("<html><head></head><body><div><p>abc</p></div><p>after</p></body></html>"));
}

TEST(DocumentHtml, GivesDoctypeAndRootAndTheCollapsedTitle)
{
    const DomTestPage page("<!DOCTYPE html><title>  My \n  Title </title><p>x");
    EXPECT_EQ(documentHtml(*page.document),
              "<!DOCTYPE html><html><head><title>  My \n  Title </title></head><body><p>x</p></body></html>");
    EXPECT_EQ(documentTitle(*page.document), "My Title");
    EXPECT_EQ(documentTitle(*DomTestPage("<p>no title").document), "");
}

} // namespace
