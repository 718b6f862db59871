#include "DomTestPage.h"

#include "browser/builtin/dom/Activation.h"
#include "browser/builtin/dom/DocumentModel.h"
#include "browser/builtin/dom/FormControls.h"

namespace {

struct LinkCase {
    const char *html;
    QString clicked;
    QString expectedUrl; // empty: no navigation
    QString expectedTarget = {};
    QString expectedReferrer = QStringLiteral("http://127.0.0.1/dir/page.html");
};

TEST(Click, FollowsLinksWithTheirTargets)
{
    const LinkCase cases[] = {
        {"<a id=l href=/next target=win>x</a>", "l", "http://127.0.0.1/next", "win"},
        {"<a id=l href=next>x</a>", "l", "http://127.0.0.1/dir/next"},
        {"<base target=_top><a id=l href=n>x</a>", "l", "http://127.0.0.1/dir/n", "_top"},
        {"<base target=_top><a id=l href=n target=''>x</a>", "l", "http://127.0.0.1/dir/n", ""},
        {"<base href='http://other.example/'><a id=l href=n>x</a>", "l", "http://other.example/n"},
        {"<a href=/x><span><b id=s>inner</b></span></a>", "s", "http://127.0.0.1/x"},
        {"<map><area id=l href=/area></map>", "l", "http://127.0.0.1/area"},
        {"<a id=l href=/x target='a\n<b'>x</a>", "l", "http://127.0.0.1/x", "_blank"},
        {"<a id=l href=/x rel='nofollow NoReferrer'>x</a>", "l", "http://127.0.0.1/x", "", ""},
        {"<a id=l href=/x rel='\tnoreferrer\n'>x</a>", "l", "http://127.0.0.1/x", "", ""},
        {"<a id=l href=/x rel='nofollow\fnoreferrers noreferre'>x</a>", "l", "http://127.0.0.1/x"},
        {"<a id=l href='\\a\\b?c\\d#e\\f'>x</a>", "l", "http://127.0.0.1/a/b?c%5Cd#e%5Cf"},
        {"<a id=l>no href</a>", "l", ""},
        {"<a id=l href='javascript:alert(1)'>x</a>", "l", ""},
        {"<a id=l href='http://[bad'>x</a>", "l", ""},
        {"<p id=l>plain</p>", "l", ""},
    };
    for (const LinkCase &c : cases) {
        const DomTestPage page(c.html);
        page.byId(c.clicked)->click();
        if (c.expectedUrl.isEmpty()) {
            EXPECT_TRUE(page.host->requests.empty()) << c.html;
            continue;
        }
        const NavigationRequest request = page.onlyRequest();
        EXPECT_EQ(request.url.toString(), c.expectedUrl) << c.html;
        EXPECT_EQ(request.method, "GET");
        EXPECT_EQ(request.target, c.expectedTarget) << c.html;
        EXPECT_EQ(request.referrer.toString(), c.expectedReferrer) << c.html;
    }
}

TEST(Click, ReferrerDropsFragmentAndCredentialsAndNonHttpPages)
{
    const DomTestPage page("<a id=l href=/x>x</a>", "text/html", QUrl("http://user:pw@127.0.0.1/p#top"));
    page.byId("l")->click();
    EXPECT_EQ(page.onlyRequest().referrer, QUrl("http://127.0.0.1/p"));
    const DomTestPage local("<a id=l href=/x>x</a>", "text/html", QUrl("file:///tmp/p.html"));
    local.byId("l")->click();
    EXPECT_TRUE(local.onlyRequest().referrer.isEmpty());
}

TEST(Click, SetTargetThenClickOpensThere)
{
    const DomTestPage page("<a id=l href=/x>x</a>");
    page.byId("l")->setTarget("_blank");
    page.byId("l")->click();
    EXPECT_EQ(page.onlyRequest().target, "_blank");
}

// The query a form's submission gives after some clicks, or "none".
QString queryAfterClicks(const QByteArray &controls, const QStringList &clicks)
{
    const DomTestPage page("<form action=/s>" + controls + "<input type=submit id=go></form>");
    for (const QString &id : clicks)
        page.byId(id)->click();
    page.byId("go")->click();
    return page.host->requests.empty() ? QStringLiteral("none") : page.host->requests.back().url.query();
}

TEST(Click, TogglesChecksLabelsAndResets)
{
    const struct {
        QByteArray controls;
        QStringList clicks;
        QString expectedQuery;
    } cases[] = {
        {"<input type=checkbox name=c id=c>", {"c"}, "c=on"},
        {"<input type=checkbox name=c id=c checked>", {"c"}, ""},
        {"<input type=checkbox name=c id=c>", {"c", "c"}, ""},
        {"<input type=checkbox name=c id=c disabled>", {"c"}, ""},
        {"<input type=radio name=r value=1 id=r1 checked><input type=radio name=r value=2 id=r2><input type=radio name=r value=3 id=r3>",
         {"r3"}, "r=3"},
        {"<input type=radio name=r value=1 id=r1><input type=radio name=r value=2 id=r2>", {"r1", "r2", "r1"}, "r=1"},
        {"<input type=radio name=r value=1 id=r1 checked><input type=radio name=other value=2 id=r2>", {"r2"}, "r=1&other=2"},
        {"<label id=lab for=c>Check</label><input type=checkbox id=c name=c>", {"lab"}, "c=on"},
        {"<label id=lab><input type=checkbox name=d> <b id=txt>text</b></label>", {"txt"}, "d=on"},
        {"<label><input type=checkbox name=d id=d></label>", {"d"}, "d=on"},
        {"<label id=lab for=missing>x</label><input type=checkbox name=c>", {"lab"}, ""},
        {"<input name=t id=t value=default><input type=reset id=reset>", {"reset"}, "t=default"},
        {"<input type=checkbox name=c id=c checked><select name=s id=s><option>a<option selected>b</select>"
         "<button type=reset id=reset>R</button>",
         {"c", "reset"}, "c=on&s=b"},
        {"<details><summary id=sum>S</summary></details><input type=checkbox name=c>", {"sum"}, ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(queryAfterClicks(c.controls, c.clicks), c.expectedQuery) << c.controls.toStdString();
}

TEST(Click, ResetRestoresEditedValues)
{
    const DomTestPage page("<form action=/s><input name=t id=t value=default><textarea name=a id=a>text</textarea>"
                           "<select name=s id=s><option>x<option selected>y</select>"
                           "<input type=reset id=reset><input type=submit id=go></form>");
    page.byId("t")->setValue("edited");
    page.byId("a")->setValue("edited");
    page.byId("s")->setValue("x");
    page.byId("reset")->click();
    EXPECT_EQ(page.byId("t")->value(), "default");
    EXPECT_EQ(page.byId("a")->value(), "text");
    EXPECT_EQ(page.byId("s")->value(), "y");
}

TEST(Click, SummaryTogglesItsDetails)
{
    const DomTestPage page("<details id=d><summary id=s>S</summary>body</details>");
    page.byId("s")->click();
    EXPECT_EQ(page.byId("d")->innerText(), "S\nbody");
    page.byId("s")->click();
    EXPECT_EQ(page.byId("d")->innerText(), "S");
}

TEST(Click, EnterInAFieldSubmitsAsBrowsersDo)
{
    const struct {
        QByteArray controls;
        QString expectedQuery;
    } cases[] = {
        {"<input name=a id=field value=1><input name=b value=2><input type=submit name=go value=Go>", "a=1&b=2&go=Go"},
        {"<input name=a id=field value=1><input type=checkbox name=c checked>", "a=1&c=on"},
        {"<input name=a id=field value=1><input name=b value=2>", "none"},
        {"<input name=a id=field value=1><button name=go disabled>Go</button>", "none"},
    };
    for (const auto &c : cases) {
        const DomTestPage page("<form action=/s>" + c.controls + "</form>");
        const auto model = documentModel(*page.document);
        dom::submitImplicitly(*dom::elementById(model->tree(), "field"), *model);
        EXPECT_EQ(page.host->requests.empty() ? QStringLiteral("none") : page.host->requests.back().url.query(),
                  c.expectedQuery)
            << c.controls.toStdString();
    }
}

TEST(Click, ChoosingAnOptionSelectsItAsAUserDoes)
{
    const DomTestPage page("<select id=one><option id=a>a<option selected>b</select>"
                           "<select id=many multiple><option id=x selected>x<option id=y>y</select>");
    const auto model = documentModel(*page.document);
    const auto element = [&](const char *id) { return dom::elementById(model->tree(), QString::fromLatin1(id)); };
    dom::chooseOption(*element("one"), *element("a"));
    EXPECT_EQ(page.byId("one")->value(), "a");
    dom::chooseOption(*element("many"), *element("y"));
    EXPECT_TRUE(dom::selectedness(*element("x")) && dom::selectedness(*element("y")));
    dom::chooseOption(*element("many"), *element("x"));
    EXPECT_EQ(page.byId("many")->value(), "y");
}

TEST(Click, OnADocumentWhoseWindowIsGoneIsRemoteUnavailable)
{
    DomTestPage page("<a id=l href=/x>x</a><input type=checkbox id=c>");
    const auto link = page.byId("l");
    const auto box = page.byId("c");
    page.host.reset();
    EXPECT_EQ(errorNumberOf([&] { link->click(); }), RemoteUnavailable);
    EXPECT_EQ(errorNumberOf([&] { box->click(); }), RemoteUnavailable);
    EXPECT_EQ(link->href(), "http://127.0.0.1/x");
}

} // namespace
