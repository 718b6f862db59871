#include "DomTestPage.h"

#include <functional>

namespace {

constexpr int Missing = -1; // the property reads as NotSupported

struct PropertyCase {
    const char *html;
    std::function<QString(const Element &)> read;
    QString expected;
    int error = 0;
};

const auto Type = [](const Element &e) { return e.type(); };
const auto Value = [](const Element &e) { return e.value(); };
const auto Name = [](const Element &e) { return e.name(); };
const auto Href = [](const Element &e) { return e.href(); };
const auto Src = [](const Element &e) { return e.src(); };
const auto Target = [](const Element &e) { return e.target(); };
const auto TagName = [](const Element &e) { return e.tagName(); };

void check(const std::vector<PropertyCase> &cases)
{
    for (const PropertyCase &c : cases) {
        const DomTestPage page(c.html);
        const auto element = page.byId("t");
        if (c.error == Missing) {
            EXPECT_EQ(errorNumberOf([&] { (void)c.read(*element); }), NotSupported) << c.html;
            continue;
        }
        EXPECT_EQ(c.read(*element), c.expected) << c.html;
    }
}

TEST(ElementProperties, TypeByElementKind)
{
    check({
        {"<input id=t>", Type, "text"},
        {"<input id=t type=BOGUS>", Type, "text"},
        {"<input id=t type=CheckBox>", Type, "checkbox"},
        {"<input id=t type=image>", Type, "image"},
        {"<button id=t>", Type, "submit"},
        {"<button id=t type=RESET>", Type, "reset"},
        {"<button id=t type=nonsense>", Type, "submit"},
        {"<select id=t>", Type, "select-one"},
        {"<select id=t multiple>", Type, "select-multiple"},
        {"<textarea id=t>", Type, "textarea"},
        {"<a id=t type=text/html>", Type, "text/html"},
        {"<div id=t>", Type, {}, Missing},
        {"<span id=t type=x>", Type, {}, Missing},
    });
}

TEST(ElementProperties, ValueIsTheLiveValue)
{
    check({
        {"<input id=t value=abc>", Value, "abc"},
        {"<input id=t value='a\nb'>", Value, "ab"},
        {"<input id=t type=url value=' http://x/ '>", Value, "http://x/"},
        {"<input id=t type=checkbox>", Value, "on"},
        {"<input id=t type=radio value=r>", Value, "r"},
        {"<input id=t type=number value=abc>", Value, ""},
        {"<input id=t type=number value=1.5e2>", Value, "1.5e2"},
        {"<input id=t type=color value=#FFAA00>", Value, "#ffaa00"},
        {"<input id=t type=color value=red>", Value, "#000000"},
        {"<input id=t type=range>", Value, "50"},
        {"<input id=t type=range min=0 max=10 value=12>", Value, "10"},
        {"<input id=t type=range min=-1e308 max=1e308>", Value, "0"},
        {"<input id=t type=range min=0 max=1e308 step=1e-300 value=1e300>", Value, "1e+300"},
        {"<input id=t type=range min=-1.7e308 max=-1.7e308 step=1e308 value=1.7e308>", Value, "-1.7e+308"},
        {"<input id=t type=date value=2024-02-30>", Value, ""},
        {"<input id=t type=date value=2024-02-29>", Value, "2024-02-29"},
        {"<input id=t type=file value=x>", Value, ""},
        {"<select id=t><option>a<option selected value=b>B</select>", Value, "b"},
        {"<select id=t><option>a<option>b</select>", Value, "a"},
        {"<select id=t><option selected>a<option selected>b</select>", Value, "b"},
        {"<select id=t multiple><option>a</select>", Value, ""},
        {"<select id=t><optgroup><option> x  y </option></optgroup></select>", Value, "x y"},
        {"<select><option id=t> Text  here </option></select>", Value, "Text here"},
        {"<textarea id=t>\nabc</textarea>", Value, "abc"},
        {"<button id=t value=go>", Value, "go"},
        {"<li id=t value=5>", Value, "5"},
        {"<progress id=t value=0.5>", Value, "0.5"},
        {"<div id=t>", Value, {}, Missing},
        {"<a id=t href=x>", Value, {}, Missing},
    });
}

TEST(ElementProperties, NameHrefSrcTargetTagName)
{
    check({
        {"<input id=t name=q>", Name, "q"},
        {"<a id=t>", Name, ""},
        {"<span id=t name=x>", Name, {}, Missing},
        {"<a id=t href='../x?y#z'>", Href, "http://127.0.0.1/x?y#z"},
        {"<a id=t href=' /sp ace '>", Href, "http://127.0.0.1/sp%20ace"},
        {"<a id=t href='http://example.com'>", Href, "http://example.com/"},
        {"<a id=t href=''>", Href, "http://127.0.0.1/dir/page.html"},
        {"<a id=t href='mailto:a@b.c'>", Href, "mailto:a@b.c"},
        {"<a id=t href='http://[bad'>", Href, "http://[bad"},
        {"<a id=t>", Href, ""},
        {"<base href='http://other.example/base/'><a id=t href=rel>", Href, "http://other.example/base/rel"},
        {"<area id=t href=/map>", Href, "http://127.0.0.1/map"},
        {"<span id=t href=x>", Href, {}, Missing},
        {"<img id=t src='/i.png'>", Src, "http://127.0.0.1/i.png"},
        {"<input id=t type=image src=b.gif>", Src, "http://127.0.0.1/dir/b.gif"},
        {"<img id=t>", Src, ""},
        {"<div id=t src=x>", Src, {}, Missing},
        {"<a id=t target=_blank>", Target, "_blank"},
        {"<form id=t>", Target, ""},
        {"<div id=t target=x>", Target, {}, Missing},
        {"<input id=t>", TagName, "INPUT"},
        {"<svg><foreignObject id=t></foreignObject></svg>", TagName, "foreignObject"},
        {"<my-widget id=t>", TagName, "MY-WIDGET"},
    });
}

TEST(ElementProperties, ClassNameAndIdOnEveryElement)
{
    const DomTestPage page("<span id=t class='a  b'>x</span><svg><g id=g class=c></g></svg>");
    EXPECT_EQ(page.byId("t")->className(), "a  b");
    EXPECT_EQ(page.byId("t")->id(), "t");
    EXPECT_EQ(page.byId("g")->className(), "c");
    EXPECT_EQ(DomTestPage("<p id=t>").byId("t")->className(), "");
}

TEST(ElementProperties, ValueWritesChangeTheLiveValueNotTheMarkup)
{
    const DomTestPage page("<form id=f><input id=i value=old><textarea id=ta>old</textarea>"
                           "<select id=s><option>a<option value=b>B<option>c</select>"
                           "<input type=checkbox id=c><input type=number id=n></form>");
    const QString before = page.byId("f")->innerHTML();
    page.byId("i")->setValue("new\nline");
    page.byId("ta")->setValue("t1\r\nt2");
    page.byId("s")->setValue("b");
    page.byId("n")->setValue("x");
    EXPECT_EQ(page.byId("i")->value(), "newline");
    EXPECT_EQ(page.byId("ta")->value(), "t1\nt2");
    EXPECT_EQ(page.byId("s")->value(), "b");
    EXPECT_EQ(page.byId("n")->value(), "");
    EXPECT_EQ(page.byId("f")->innerHTML(), before);

    page.byId("s")->setValue("none");
    EXPECT_EQ(page.byId("s")->value(), "");
    page.byId("c")->setValue("yes");
    EXPECT_EQ(page.byId("c")->value(), "yes");
    EXPECT_EQ(errorNumberOf([&] { DomTestPage("<div id=t>").byId("t")->setValue("x"); }), NotSupported);
    EXPECT_EQ(errorNumberOf([&] { DomTestPage("<input type=file id=t>").byId("t")->setValue("C:\\x"); }), NotSupported);
    EXPECT_EQ(errorNumberOf([&] { DomTestPage("<li id=t>").byId("t")->setValue("many"); }), TypeMismatch);
}

TEST(ElementProperties, TargetWriteSetsTheAttribute)
{
    const DomTestPage page("<a id=t href=x>x</a><p id=p>");
    page.byId("t")->setTarget("_blank");
    EXPECT_EQ(page.byId("t")->target(), "_blank");
    EXPECT_EQ(page.bodyHtml(), "<a id=\"t\" href=\"x\" target=\"_blank\">x</a><p id=\"p\"></p>");
    EXPECT_EQ(errorNumberOf([&] { page.byId("p")->setTarget("_blank"); }), NotSupported);
}

} // namespace
