#include "DomTestPage.h"

namespace {

[[nodiscard]] QStringList idsOf(const Collection &collection)
{
    QStringList ids;
    for (int i = 0; i < collection.length(); ++i) {
        const auto element = collection.item(i);
        ids.append(element->id().isEmpty() ? element->tagName() : element->id());
    }
    return ids;
}

const QByteArray Page = "<!DOCTYPE html><html><head><title>t</title></head><body>"
                        "<div id=d1><a id=a1 href=/one>one</a><a id=noHref name=x>anchor</a>"
                        "<span id=s1 name=x><input id=i1 name=x></span></div>"
                        "<map><area id=ar1 href=/area></map>"
                        "<INPUT id=i2 type=submit name=submit><input id=i3 name=submit>"
                        "<svg><a id=svgA name=x></a></svg>"
                        "<div id=dup></div><p id=dup></p><template><a id=inTemplate href=/t></a></template>"
                        "</body></html>";

TEST(DocumentCollections, AreInTreeOrder)
{
    const DomTestPage page(Page);
    const Document &document = *page.document;
    EXPECT_EQ(idsOf(*document.all()),
              QStringList({"HTML", "HEAD", "TITLE", "BODY", "d1", "a1", "noHref", "s1", "i1", "MAP", "ar1", "i2", "i3",
                           "svg", "svgA", "dup", "dup", "TEMPLATE"}));
    EXPECT_EQ(idsOf(*document.links()), QStringList({"a1", "ar1"}));
    EXPECT_EQ(idsOf(*document.getElementsByName("x")), QStringList({"noHref", "s1", "i1"}));
    EXPECT_EQ(idsOf(*document.getElementsByName("submit")), QStringList({"i2", "i3"}));
    EXPECT_EQ(idsOf(*document.getElementsByTagName("INPUT")), QStringList({"i1", "i2", "i3"}));
    EXPECT_EQ(idsOf(*document.getElementsByTagName("input")), QStringList({"i1", "i2", "i3"}));
    EXPECT_EQ(document.getElementsByTagName("*")->length(), document.all()->length());
    EXPECT_EQ(document.getElementById("dup")->tagName(), "DIV");
    EXPECT_EQ(document.getElementById("inTemplate"), nullptr);
    EXPECT_EQ(document.getElementById("missing"), nullptr);
    EXPECT_EQ(document.getElementById(""), nullptr);
    EXPECT_EQ(idsOf(*document.body()->all()).mid(0, 4), QStringList({"d1", "a1", "noHref", "s1"}));
    EXPECT_EQ(idsOf(*page.byId("d1")->all()), QStringList({"a1", "noHref", "s1", "i1"}));
    EXPECT_EQ(document.all()->item(-1), nullptr);
    EXPECT_EQ(document.all()->item(document.all()->length()), nullptr);
}

TEST(DocumentCollections, ByNameRequestsActOnTheFirstElement)
{
    const DomTestPage page("<input name=q id=first value=1><input name=q id=second value=2>");
    const auto named = page.document->getElementsByName("q");
    EXPECT_EQ(named->value(), "1");
    named->setValue("changed");
    EXPECT_EQ(page.byId("first")->value(), "changed");
    EXPECT_EQ(page.byId("second")->value(), "2");
    const auto none = page.document->getElementsByName("nothing");
    EXPECT_EQ(errorNumberOf([&] { (void)none->value(); }), NotSupported);
    EXPECT_EQ(errorNumberOf([&] { none->click(); }), NotSupported);
}

TEST(DocumentCollections, BodyIsNullOnlyWithoutBody)
{
    EXPECT_TRUE(DomTestPage("").document->body());
    EXPECT_EQ(DomTestPage("<frameset><frame src=a></frameset>").document->body()->tagName(), "FRAMESET");
    EXPECT_EQ(DomTestPage("<svg xmlns='http://www.w3.org/2000/svg'></svg>").document->body()->tagName(), "BODY");
}

TEST(DocumentCollections, HandlesKeepTheDocumentAlive)
{
    std::unique_ptr<Element> link;
    {
        const DomTestPage page("<a id=l href=/x>x</a>");
        link = page.byId("l");
    }
    EXPECT_EQ(link->href(), "http://127.0.0.1/x");
    EXPECT_EQ(errorNumberOf([&] { link->click(); }), RemoteUnavailable);
}

TEST(OtherDocument, EveryOperationIsATypeMismatch)
{
    const auto document = buildOtherDocument(QUrl("http://127.0.0.1/i.png"), "image/png");
    EXPECT_EQ(document->kind(), DocumentKind::Other);
    EXPECT_EQ(errorNumberOf([&] { (void)asHtmlDocument(document); }), TypeMismatch);
    const std::function<void()> operations[] = {
        [&] { (void)document->body(); },
        [&] { (void)document->all(); },
        [&] { (void)document->links(); },
        [&] { (void)document->getElementsByName("x"); },
        [&] { (void)document->getElementById("x"); },
        [&] { (void)document->getElementsByTagName("x"); },
        [&] { document->execCommand("SelectAll"); },
    };
    for (const auto &operation : operations)
        EXPECT_EQ(errorNumberOf(operation), TypeMismatch);
    EXPECT_EQ(documentHtml(*document), "");
    EXPECT_EQ(documentCharset(*document), "");
}

} // namespace
