#include "DomTestPage.h"

namespace {

struct TextCase {
    const char *html;
    QString expected;
};

TEST(InnerText, GivesTheTextAsRendered)
{
    const TextCase cases[] = {
        {"<div id=t>a  b\n c</div>", "a b c"},
        {"<div id=t> lead <b> bold </b> trail </div>", "lead bold trail"},
        {"<div id=t>a <span> </span> b</div>", "a b"},
        {"<div id=t>one<br>two</div>", "one\ntwo"},
        {"<div id=t>a<br><br>b</div>", "a\n\nb"},
        {"<div id=t>one <br> two</div>", "one\ntwo"},
        {"<div id=t><p>para</p><p>two</p></div>", "para\n\ntwo"},
        {"<div id=t><div>a</div><div>b</div></div>", "a\nb"},
        {"<div id=t><p>a</p>b<div>c</div></div>", "a\n\nb\nc"},
        {"<div id=t><h1>Title</h1>  text </div>", "Title\ntext"},
        {"<div id=t><div><div>deep</div></div>x</div>", "deep\nx"},
        {"<div id=t>x<script>var a;</script><style>p{}</style>y</div>", "xy"},
        {"<div id=t>x<template>t</template><span hidden>h</span><input type=hidden value=v>y</div>", "xy"},
        {"<div id=t><pre>  keep\n   this </pre></div>", "  keep\n   this "},
        {"<pre id=t>a  <b> b </b>\n</pre>", "a   b \n"},
        {"<div id=t><table><tr><td>1</td><td>2</td></tr><tr><td>3</td><td>4</td></tr></table></div>", "1\t2\n3\t4"},
        {"<div id=t><table><tr><td> a </td></tr></table>after</div>", "a\nafter"},
        {"<table id=t><tr><td>a<td>b<tr><td>c</table>", "a\tb\nc"},
        {"<table><tr id=t><td>a</td><th>b</th></tr></table>", "a\tb"},
        {"<div id=t><table><tr><td><table><tr><td>x<tr><td>y</table><td>z</table></div>", "x\ny\n\tz"},
        {"<div id=t><ul><li>one</li><li>two</li></ul></div>", "one\ntwo"},
        {"<div id=t>a<img src=x.png>b</div>", "ab"},
        {"<div id=t>a <img src=x.png> b</div>", "a  b"},
        {"<div id=t>a<input value=v>b<textarea>t</textarea></div>", "ab"},
        {"<div id=t>text&nbsp;&nbsp;nbsp</div>", QStringLiteral(u"text\u00a0\u00a0nbsp")},
        {"<a id=t href=#> Next &raquo; </a>", QStringLiteral(u"Next \u00bb")},
        // An inline element's blanks collapse with its line's: kept where the line has text on that side.
        {"<p><a id=t href=x>Next </a><a href=y>Other</a></p>", "Next "},
        {"<p>Go<a id=t href=z> Next</a></p>", " Next"},
        {"<p>Go <a id=t href=z> Next</a> more</p>", "Next"},
        {"<p>a<br><b><a id=t> Next </a></b> <img src=x.png></p>", "Next "},
        {"<p><a id=t>Next </a><br>b</p>", "Next"},
        {"<div id=t><button> Go </button>!</div>", "Go!"},
        {"<div id=t><select><option>One<option>Two</select></div>", "One\nTwo"},
        {"<div id=t>a<details><summary>S</summary>hidden</details></div>", "a\nS"},
        {"<div id=t>a<details open><summary>S</summary>shown</details></div>", "a\nS\nshown"},
        {"<div id=t><!-- comment -->c</div>", "c"},
        {"<textarea id=t>line1\nline2</textarea>", "line1\nline2"},
        {"<script id=t>var x = 1;</script>", "var x = 1;"},
        {"<div id=t hidden>not <b>rendered</b></div>", "not rendered"},
        {"<div id=t></div>", ""},
    };
    for (const TextCase &c : cases) {
        const DomTestPage page(c.html);
        EXPECT_EQ(page.byId("t")->innerText(), c.expected) << c.html;
    }
}

TEST(InnerText, SetterReplacesChildrenAndTurnsLineBreaksIntoBr)
{
    const struct {
        const char *html;
        QString text;
        QString expectedHtml;
    } cases[] = {
        {"<div id=t><b>old</b></div>", "new", "new"},
        {"<div id=t>x</div>", "a\r\nb\nc\rd", "a<br>b<br>c<br>d"},
        {"<div id=t>x</div>", "<b> & \n", "&lt;b&gt; &amp; <br>"},
        {"<div id=t>x</div>", "", ""},
        {"<textarea id=t>x</textarea>", "l1\nl2", "l1\nl2"},
    };
    for (const auto &c : cases) {
        const DomTestPage page(c.html);
        page.byId("t")->setInnerText(c.text);
        EXPECT_EQ(page.byId("t")->innerHTML(), c.expectedHtml) << c.html;
    }
}

TEST(InnerText, SetterKeepsHandlesToRemovedElementsUsable)
{
    const DomTestPage page("<div id=t><a id=inner href=/x>link</a></div>");
    const auto inner = page.byId("inner");
    page.byId("t")->setInnerText("gone");
    EXPECT_EQ(inner->innerText(), "link");
    EXPECT_EQ(inner->href(), "http://127.0.0.1/x");
    EXPECT_EQ(page.document->getElementById("inner"), nullptr);
}

TEST(InnerText, ForeignElementsHaveNoInnerText)
{
    const DomTestPage page("<svg id=t><text>x</text></svg>");
    EXPECT_EQ(errorNumberOf([&] { (void)page.byId("t")->innerText(); }), NotSupported);
    EXPECT_EQ(errorNumberOf([&] { page.byId("t")->setInnerText("y"); }), NotSupported);
    EXPECT_EQ(page.byId("t")->innerHTML(), "<text>x</text>");
}

} // namespace
