#include "DomTestPage.h"

#include "browser/builtin/dom/HtmlParser.h"
#include "browser/builtin/dom/HtmlSerializer.h"
#include "browser/builtin/dom/TreeWalk.h"

#include <QRandomGenerator>

#include <stop_token>
#include <thread>

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
        // A select in a template inside another's selectedcontent, which is filled with a copy.
        "<select><button><selectedcontent><template><select><button><selectedcontent></selectedcontent></button>"
        "<option>i</select></template></selectedcontent></button><option>o</select>",
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
    EXPECT_LE(treeDepth(*dom::parseHtml(nested("span", 100000))), dom::MaxNestingDepth + 1);
    // Misnested formatting end tags leave the block inside them open, so these nest too.
    for (const QByteArray unit : {"<b><div></b>", "<a href=x><p></a>", "<table><td><i>"}) {
        EXPECT_LE(treeDepth(*dom::parseHtml(unit.repeated(50000))), dom::MaxNestingDepth + 1) << unit.constData();
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

// The depth is counted by the tree builder itself: markup that a scan of the text could take
// for something else (comments closed by --!>, raw text, foreign content, templates) does not
// get past it.
TEST(Robustness, NestingCapHoldsInEveryKindOfContent)
{
    const QByteArray before[] = {
        "<!-- x --!>", "<svg><title>", "<math><mi>", "<svg><foreignObject>", "<math><annotation-xml encoding=text/html>",
        "<template>", "<select><template>", "<table><caption>", "<table><td>", "<noscript>", "<?x>", "<!x>",
        "<textarea></textarea>", "<style>'</style>", "<script><!--<script></script>--></script>", "<div title='>'>",
        "<iframe><div></iframe>", "<a href=x>", "<b><i><u>",
    };
    // Elements in template contents count too: the walk goes into them.
    const auto deepestElement = [](const dom::Node &root) {
        int deepest = 0;
        std::vector<std::pair<const dom::Node *, int>> pending{{&root, 0}};
        while (!pending.empty()) {
            const auto [node, depth] = pending.back();
            pending.pop_back();
            deepest = std::max(deepest, depth);
            for (const auto &child : node->children())
                if (child->isElement())
                    pending.emplace_back(child.get(), depth + 1);
            if (const dom::Element *element = node->asElement(); element && element->templateContentIfAny())
                pending.emplace_back(element->templateContentIfAny(), depth);
        }
        return deepest;
    };
    constexpr int Cap = 12;
    dom::HtmlParser parser(Cap);
    for (const QByteArray &start : before) {
        const auto document = parser.parse(start + nested("div", 2000));
        EXPECT_LE(deepestElement(*document), Cap) << start.constData();
        EXPECT_TRUE(dom::serializeChildren(*document).contains(u"deep</a>")) << start.constData();
    }
    for (const QByteArray start : {"<!-- x --!>", "<svg><title>"}) {
        const auto document = dom::parseHtml(start + nested("div", 100000));
        EXPECT_LE(treeDepth(*document), dom::MaxNestingDepth + 1) << start.constData();
    }
}

TEST(Robustness, AParseStopsWhenAskedAndTheParserGoesOn)
{
    // Each end tag makes the tree builder search the full stack of open elements.
    const QByteArray slow = QByteArray("<span>").repeated(600) + QByteArray("</q>").repeated(1000000);
    dom::HtmlParser parser;
    std::stop_source stop;
    std::unique_ptr<dom::Document> stopped = std::make_unique<dom::Document>();
    std::thread parse([&] { stopped = parser.parse(slow, stop.get_token()); });
    stop.request_stop();
    parse.join();
    EXPECT_EQ(stopped, nullptr);
    EXPECT_EQ(dom::serializeChildren(*parser.parse("<p>after")), "<html><head></head><body><p>after</p></body></html>");
}

// One parser keeps its working memory for pages up to a size and lets a larger page's go: the
// trees come out the same, and a very large deep one is released without deep recursion.
TEST(Robustness, VeryLargePagesParseAsSmallOnes)
{
    const QByteArray page = "<!DOCTYPE html><title>t</title><p class=a>one<b>two<i>three</b>four</i>"
                            "<table><td>cell<select><option>o</table><svg><circle r=1></svg><a href=/x>link</a>";
    const qsizetype fill = 5 * 1024 * 1024;
    dom::HtmlParser parser;
    const QString small = dom::serializeChildren(*parser.parse(page + "<!--x-->"));
    QString large = dom::serializeChildren(*parser.parse(page + "<!--" + QByteArray(fill, 'x') + "-->"));
    large.replace(QString(fill, u'x'), QStringLiteral("x"));
    EXPECT_EQ(large, small);
    EXPECT_EQ(dom::serializeChildren(*parser.parse(page + "<!--x-->")), small);

    const auto deep = parser.parse(nested("span", 800000));
    EXPECT_LE(treeDepth(*deep), dom::MaxNestingDepth + 1);
    EXPECT_TRUE(dom::serializeChildren(*deep).contains(QStringLiteral("<a id=\"deep\" href=\"/d\">deep</a></span>")));
}

TEST(Robustness, NestingCapClosesTheDeepestElementAndLeavesShallowerPagesAlone)
{
    const QByteArray ordinary = "<!DOCTYPE html><ul><li>a<li>b</ul><p>x<p>y<table><tr><td>1</table><a href=1>x<a href=2>y"
                                "<script>'<div><div>'</script><!-- <div> --><div title='<div>'>z</div>";
    dom::HtmlParser shallow(8);
    EXPECT_EQ(dom::serializeChildren(*shallow.parse(ordinary)), dom::serializeChildren(*dom::parseHtml(ordinary)));
    dom::HtmlParser capped(4);
    EXPECT_EQ(dom::serializeChildren(*capped.parse("<div><div><div><div>x")),
              "<html><head></head><body><div><div></div><div></div><div>x</div></div></body></html>");
}

} // namespace

// The finished part of the body is copied and freed while the page is parsed: released after
// every token, the document is the one the whole tree gives, whatever the tree builder does
// later with what it still holds (adoption agency, foster parenting, form and head pointers,
// frameset, a second body tag, end tags standing for elements).
TEST(Robustness, ReleasingTheFinishedBodyWhileParsingKeepsTheDocument)
{
    const QByteArray pages[] = {
        "<a href=1>x<p>y</a>z<a href=2>w",
        "<b>1<p>2</b>3</p>4<i>5<div>6</i>7</div>8",
        "<div><a><div>x<span>y</span>z</a>w</div>v",
        "<p><b>x</p><p>y</p><p>z<b><i>x</b>y</i>z",
        "<table>x<tr>y<td>z</table>w<table><b>x<tr><td>y</b>z</table>",
        "<div>a</div><table><tr><td>a</td></tr>text<b>bold</b><tr><td>b</table>after",
        "<form id=f><input name=a></form><input name=b><form id=g><div></form>x</div><form id=h>",
        "<head></head><body>x</body><title>late</title><meta name=m><link rel=l>y",
        "x</br>y</p>z<p>q</p>",
        "<div></div><div></div><!--c--><frameset><frame></frameset>",
        "<div>x</div><frameset><frame>",
        "<template><div>x</div></template><p>y<template><b>z</b></template>",
        "a<!--c-->b<b></b>c<table>d</table>e",
        "<body>a</body>b</html>c<!--d-->e",
        "<body class=a>x<div>y</div><body id=b class=c>z",
        "<html><body>a<div>b</div><html lang=x>c",
        "<svg><title>t</title><g>u</g></svg>x<math><mi>y</mi></math><select><option>1<option>2</select>",
        "<ul><li>a<li>b</ul><nobr>a<nobr>b<button>c<button>d<ruby>e<rt>f</ruby>",
        "<p>1<p>2<p>3<h1>4<h2>5</h1>6",
        "<p>a</p><isindex prompt=p><p>b</p><plaintext>c<d>",
        "<div>a</div><textarea>\nb</textarea><pre>\nc</pre><listing>\nd</listing>",
        "<div id=w><p>a</p><a href=1>b</a><table><tr><td>c</table><b>d<p>e</b>f<div><i>g</div>h</i></div>i",
        "<main><section><p>a<p>b</section><section><a>c<div>d</a>e</div></section></main>",
        "<b><div>a</div><div>b<p>c</b>d</div><div>e</div></b>f",
        "<ul><li><a>x<li><div>y</a>z</ul>",
        "<div><form><div>a</div></form><table><form><tr><td>b</td></form></table></div>",
    };
    dom::HtmlParser whole(dom::MaxNestingDepth, 0);
    dom::HtmlParser released(dom::MaxNestingDepth, 1);
    dom::HtmlParser cappedReleased(4, 1);
    dom::HtmlParser capped(4, 0);
    QByteArray all;
    for (const QByteArray &page : pages) {
        SCOPED_TRACE(page.toStdString());
        const QString expected = dom::serializeChildren(*whole.parse(page));
        EXPECT_EQ(dom::serializeChildren(*released.parse(page)), expected);
        EXPECT_EQ(dom::serializeChildren(*released.parse(page + page + page)),
                  dom::serializeChildren(*whole.parse(page + page + page)));
        EXPECT_EQ(dom::serializeChildren(*cappedReleased.parse(page + page)), dom::serializeChildren(*capped.parse(page + page)));
        all += page;
    }
    EXPECT_EQ(dom::serializeChildren(*released.parse(all)), dom::serializeChildren(*whole.parse(all)));
}
