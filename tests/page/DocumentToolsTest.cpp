#include "PageSession.h"

namespace {

using DocumentTools_ = PageSession;

TEST_F(DocumentTools_, ListLinksListsEveryLinkOnceAndShowsTheList)
{
    server.page("/links.html", "<html><body><a href=\"/a\">A</a> <a href=\"b?x=1\">B</a> <a>no href</a>"
                               "<map><area href=\"/c\"></map> <a href=\"/a\">A again</a></body></html>");
    load("/links.html");
    for (int time = 0; time < 2; ++time) {
        automation.documentTools.listLinks();
        EXPECT_EQ(automation.linkList.entries(), (QStringList{server.url("/a"), server.url("/b?x=1"),
                                                              server.url("/c"), server.url("/a")}));
    }
    EXPECT_EQ(host.lastStatus(), QStringLiteral("4 HREF's found in the current document."));
    EXPECT_TRUE(automation.linkList.isVisible());
    EXPECT_TRUE(automation.linkList.isHideItemVisible());
    EXPECT_TRUE(automation.linkList.isSeparatorVisible());
    EXPECT_NE(CurrentDoc, nullptr);
}

TEST_F(DocumentTools_, ListLinksWithoutABrowserShowsAnEmptyList)
{
    RecordingHost otherHost;
    Automation detached(otherHost, browser); // never attached
    detached.linkList.append(QStringLiteral("old"));
    detached.documentTools.listLinks();
    EXPECT_TRUE(detached.linkList.entries().isEmpty());
    EXPECT_EQ(otherHost.lastStatus(), QStringLiteral("0 HREF's found in the current document."));
    EXPECT_TRUE(detached.linkList.isVisible());
}

TEST_F(DocumentTools_, TraverseLinksKeepsOnlyFightAddressesInAnyCase)
{
    automation.linkList.append(QStringList{"http://x/FIGHT&ID=1", "http://x/fight&id", "http://x/other",
                                           "a fight&id=2 b"});
    automation.documentTools.traverseLinks();
    EXPECT_EQ(automation.linkList.entries(), (QStringList{"http://x/FIGHT&ID=1", "a fight&id=2 b"}));
    automation.linkList.clear();
    automation.documentTools.traverseLinks();
    EXPECT_TRUE(automation.linkList.entries().isEmpty());
}

TEST_F(DocumentTools_, ZoomAllAfterFillFindsNoDocumentAndChangesNothing)
{
    server.page("/page.html", "<html><body><p>Some text</p><form><input name=q></form></body></html>");
    load("/page.html");
    runScript(QStringLiteral("fill;q;x"));
    ASSERT_EQ(CurrentDoc, nullptr);
    const QString before = bodyHtml();
    automation.documentTools.zoomAll(5);
    EXPECT_EQ(bodyHtml(), before);

    automation.documentTools.zoomSelection(4); // takes the document again; nothing is selected
    EXPECT_NE(CurrentDoc, nullptr);
    EXPECT_EQ(bodyHtml(), before);
    automation.documentTools.zoomAll(5);
    EXPECT_TRUE(bodyHtml().contains(QStringLiteral("Verdana"))) << bodyHtml().toStdString();
    EXPECT_TRUE(bodyHtml().contains(QStringLiteral("size=\"5\""))) << bodyHtml().toStdString();
}

TEST_F(DocumentTools_, ZoomWithoutABrowserDoesNothing)
{
    RecordingHost otherHost;
    Automation detached(otherHost, browser);
    detached.documentTools.zoomSelection(3);
    detached.documentTools.zoomAll(3);
    EXPECT_TRUE(otherHost.messages.empty());
}

} // namespace
