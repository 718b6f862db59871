#include "PageSession.h"

namespace {

using CurrentDocRules = PageSession;

TEST_F(CurrentDocRules, EachActionSetsUsesOrEmptiesCurrentDocAsItsRuleSays)
{
    server.page("/form.html", "<html><body><form action=\"/go\"><input name=q id=q class=c>"
                              "<textarea class=t name=t></textarea><input type=submit name=submit value=Go>"
                              "<input type=image src=\"/i.gif\"></form><a href=\"/x\">X</a></body></html>");
    load("/form.html");
    const auto page = CurrentDoc;
    ASSERT_NE(page, nullptr) << "the completed page is the current document";

    const struct {
        QString line;
        bool emptiesIt;
    } cases[] = {
        {QStringLiteral("fill;q;a"), true},
        {QStringLiteral("fillappend;q;b"), true},
        {QStringLiteral("clickitem;q;5"), true},
        {QStringLiteral("clickinputimg;http://nowhere/"), true},
        {QStringLiteral("fillclass;t;text"), false},
        {QStringLiteral("clickelementbyid;nothing;false"), false},
    };
    for (const auto &testCase : cases) {
        CurrentDoc = page;
        runScript(testCase.line);
        EXPECT_EQ(CurrentDoc == nullptr, testCase.emptiesIt) << testCase.line.toStdString();
    }

    // Actions with a reference of their own leave it as it was, empty included.
    CurrentDoc.reset();
    runScript(QStringLiteral("fillbyid;q;z\r\nfillappendbyid;q;z\r\nclickbutton;nothing"));
    EXPECT_EQ(CurrentDoc, nullptr);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(asInputElement(asHtmlDocument(page).getElementById(QStringLiteral("q"))).value(), QStringLiteral("zz"));
}

TEST_F(CurrentDocRules, ClickElementByNameAfterFillReattachesAndRestarts)
{
    server.page("/form.html", "<html><body><form action=\"/go\"><input name=q>"
                              "<input type=submit name=submit value=Go></form></body></html>");
    load("/form.html");
    automation.runner.tickTimer().setInterval(0);
    automation.runner.runScript(QStringLiteral("fill;q;x\r\nclickelementbyname;submit;true"));
    // A lost document restarts the script at line 1.
    ASSERT_TRUE(waitUntil([this] {
        return host.statusTexts.count(QStringLiteral("Executing Script, Line ( 1 )")) >= 2;
    }));
    automation.runner.tickTimer().stop();
    EXPECT_TRUE(host.messages.empty()) << "a lost document re-attaches without a message";
    EXPECT_EQ(server.pageRequests().size(), 1u) << "the submit was never clicked";
}

} // namespace
