#include "DomTestPage.h"

#include "browser/builtin/dom/HtmlParser.h"
#include "browser/builtin/dom/HtmlSerializer.h"
#include "browser/builtin/dom/NestingLimiter.h"
#include "browser/builtin/dom/TreeWalk.h"

#include <QRandomGenerator>

namespace {

// Reads every property of every element, as the page actions may; failures must be script errors.
void touchEverything(const Document &document)
{
    const auto all = document.all();
    for (int i = 0; i < all->length(); ++i) {
        const auto element = all->item(i);
        for (const auto &read : {&Element::tagName, &Element::innerText, &Element::innerHTML, &Element::className,
                                 &Element::id, &Element::name, &Element::type, &Element::value, &Element::src,
                                 &Element::href, &Element::target}) {
            try {
                (void)((*element).*read)();
            } catch (const ScriptError &error) {
                EXPECT_EQ(error.number(), NotSupported);
            }
        }
    }
    (void)documentHtml(document);
    (void)documentTitle(document);
}

TEST(Robustness, MalformedAndTruncatedPagesParse)
{
    const QByteArray pages[] = {
        "",
        "<",
        "<html><body><div><a href='x",
        "<table><tr><td>1<td>2</tr><tr><div>foster</div></table>",
        "</p></p><p><b><i>mis</b>nested</i>",
        "<select><option>a<select><option>b</select>",
        "<svg><math><mi><b>x</svg></mi>",
        "<!DOCTYPE x PUBLIC 'a' 'b'><frameset><frameset>",
        "<form><form><input name=a></form></form>",
        "<template><template><td>x</template></template>",
        "<script><!--<script></script>-->",
        "<p a=1 a=2 b='\"' c=\"'\" =d>",
        "&#0;&#x110000;&#xD800;&bogus;&amp",
        QByteArray("<p>a\0b<b\0>c</p><input value='x\0y'>", 34),
    };
    for (const QByteArray &html : pages) {
        const DomTestPage page(html);
        touchEverything(*page.document);
    }
    const DomTestPage nul(QByteArray("<p id=t>a\0b</p>", 16));
    EXPECT_FALSE(nul.byId("t")->innerText().contains(QChar(0)));
}

TEST(Robustness, BinaryGarbageParses)
{
    QRandomGenerator random(20240601);
    for (int round = 0; round < 4; ++round) {
        QByteArray bytes(32 * 1024, Qt::Uninitialized);
        for (char &byte : bytes) {
            const quint32 pick = random.bounded(20);
            // Plenty of markup characters, so that the parser builds deep and odd trees.
            byte = pick < 4 ? "<>/=\"' \n!-?&#;"[random.bounded(14)] : pick < 8 ? char('a' + random.bounded(26)) : char(random.bounded(256));
        }
        const DomTestPage page(bytes, round % 2 ? "text/html" : "text/html; charset=utf-8");
        touchEverything(*page.document);
    }
}

[[nodiscard]] int treeDepth(const dom::Node &root)
{
    int depth = 0;
    int deepest = 0;
    dom::walkDescendants(
        root,
        [&](const dom::Node &) {
            deepest = std::max(deepest, ++depth);
            return dom::Walk::Continue;
        },
        [&](const dom::Node &) { --depth; });
    return deepest;
}

[[nodiscard]] QByteArray nested(const char *tag, int depth)
{
    QByteArray html;
    for (int i = 0; i < depth; ++i)
        html += QByteArray("<") + tag + ">";
    return html + "<a id=deep href=/d>deep</a>";
}

TEST(Robustness, HundredThousandDeepNestingIsCappedWithoutLosingContent)
{
    EXPECT_LT(treeDepth(*dom::parseHtml(nested("span", 100000))), dom::MaxNestingDepth + 10);
    // Misnested formatting end tags leave the block inside them open, so these nest too.
    for (const QByteArray unit : {"<b><div></b>", "<a href=x><p></a>", "<table><td><i>"}) {
        EXPECT_LT(treeDepth(*dom::parseHtml(unit.repeated(50000))), 3 * dom::MaxNestingDepth) << unit.constData();
    }
    for (const char *tag : {"div", "b"}) {
        const DomTestPage page(nested(tag, 100000));
        EXPECT_EQ(page.document->links()->length(), 1) << tag;
        EXPECT_EQ(page.byId("deep")->innerText(), "deep");
        EXPECT_EQ(page.document->body()->innerText(), "deep") << tag;
        EXPECT_FALSE(documentHtml(*page.document).isEmpty());
        page.document->execCommand("SelectAll");
        page.document->execCommand("FontSize", false, 4);
    }
}

// Pages of ordinary size and very large ones are parsed with different memory for gumbo: both
// give the same tree, and a very large deep one is released without deep recursion.
TEST(Robustness, VeryLargePagesParseAsSmallOnes)
{
    const QByteArray page = "<!DOCTYPE html><title>t</title><p class=a>one<b>two<i>three</b>four</i>"
                            "<table><td>cell<select><option>o</table><svg><circle r=1></svg><a href=/x>link</a>";
    const qsizetype fill = 5 * 1024 * 1024;
    QString large = dom::serializeChildren(*dom::parseHtml(page + "<!--" + QByteArray(fill, 'x') + "-->"));
    large.replace(QString(fill, u'x'), QStringLiteral("x"));
    EXPECT_EQ(large, dom::serializeChildren(*dom::parseHtml(page + "<!--x-->")));

    const auto deep = dom::parseHtml(nested("span", 800000));
    EXPECT_LT(treeDepth(*deep), dom::MaxNestingDepth + 10);
    EXPECT_TRUE(dom::serializeChildren(*deep).contains(QStringLiteral("<a id=\"deep\" href=\"/d\">deep</a></span>")));
}

TEST(Robustness, NestingLimitKeepsOrdinaryPagesUntouched)
{
    const QByteArray ordinary = "<ul><li>a<li>b</ul><p>x<p>y<table><tr><td>1</table><a href=1>x<a href=2>y"
                                "<script>'<div><div>'</script><!-- <div> --><div title='<div>'>z</div>";
    EXPECT_EQ(dom::limitNesting(ordinary, 3), ordinary);
    EXPECT_EQ(dom::limitNesting("<div><div><div><div>x</div></div></div></div>", 2),
              "<div><div></div><div></div><div>x</div></div></div></div>");
    EXPECT_EQ(dom::limitNesting("<div><p><i><b>x", 2), "<div><p><i></i><b>x");
}

} // namespace
