#include "DomTestPage.h"

#include "browser/builtin/dom/DocumentModel.h"
#include "browser/builtin/dom/Editing.h"
#include "browser/builtin/dom/TreeWalk.h"

namespace {

TEST(ExecCommand, FontCommandsWrapTheSelection)
{
    const struct {
        QStringList commands; // "Command" or "Command=value"; "Clear" clears the selection
        QString expectedBody;
    } cases[] = {
        {{"SelectAll", "FontName=Verdana", "FontSize=4"}, "<font face=\"Verdana\" size=\"4\"><p>Hello</p> <b>all</b></font>"},
        {{"selectall", "fontsize=+2"}, "<font size=\"5\"><p>Hello</p> <b>all</b></font>"},
        {{"SelectAll", "FontSize=9"}, "<font size=\"7\"><p>Hello</p> <b>all</b></font>"},
        {{"SelectAll", "FontSize=-5"}, "<font size=\"1\"><p>Hello</p> <b>all</b></font>"},
        {{"SelectAll", "FontSize=big"}, "<p>Hello</p> <b>all</b>"},
        {{"SelectAll", "FontName="}, "<p>Hello</p> <b>all</b>"},
        {{"FontName=Verdana", "FontSize=3"}, "<p>Hello</p> <b>all</b>"},
        {{"SelectAll", "Clear", "FontSize=3"}, "<p>Hello</p> <b>all</b>"},
        {{"SelectAll", "Bold", "Unknown=1"}, "<p>Hello</p> <b>all</b>"},
        {{"SelectAll", "FontSize=3", "SelectAll", "FontSize=5"}, "<font size=\"5\"><p>Hello</p> <b>all</b></font>"},
    };
    for (const auto &c : cases) {
        const DomTestPage page("<body><p>Hello</p> <b>all</b></body>");
        for (const QString &command : c.commands) {
            if (command == QLatin1StringView("Clear")) {
                clearDocumentSelection(*page.document);
                continue;
            }
            const QStringList parts = command.split(u'=');
            page.document->execCommand(parts[0], false, parts.size() > 1 ? QVariant(parts[1]) : QVariant());
        }
        EXPECT_EQ(page.bodyHtml(), c.expectedBody) << c.commands.join(u' ').toStdString();
    }
}

TEST(ExecCommand, NumericSizeAndPagesWithoutBody)
{
    const DomTestPage page("<p>x</p>");
    page.document->execCommand("SelectAll");
    page.document->execCommand("FontSize", true, QVariant(4));
    EXPECT_EQ(page.bodyHtml(), "<font size=\"4\"><p>x</p></font>");
    const DomTestPage frames("<frameset></frameset>");
    frames.document->execCommand("SelectAll");
    frames.document->execCommand("FontSize", false, QVariant(4));
    EXPECT_EQ(documentHtml(*frames.document), "<html><head></head><frameset></frameset></html>");
}

TEST(ExecCommand, SelectionInsideRemovedContentChangesNothing)
{
    const DomTestPage page("<div id=d><p>x</p></div>");
    page.document->execCommand("SelectAll");
    page.document->execCommand("FontName", false, "Verdana");
    page.document->body()->setInnerText("replaced");
    page.document->execCommand("FontSize", false, 4);
    EXPECT_EQ(page.bodyHtml(), "replaced");
}

// The Text nodes of the page in tree order.
std::vector<dom::Node *> textNodes(dom::DocumentModel &model)
{
    std::vector<dom::Node *> texts;
    dom::walkDescendants(model.tree(), [&texts](dom::Node &node) {
        if (node.type() == dom::NodeType::Text)
            texts.push_back(&node);
        return dom::Walk::Continue;
    });
    return texts;
}

TEST(SelectBetween, SplitsTextAtThePointsAndSelectsWhatLiesBetween)
{
    const struct {
        int fromText, fromOffset, toText, toOffset;
        QString expectedBody; // after FontSize=5
    } cases[] = {
        {0, 6, 0, 9, "<p>Hello <font size=\"5\">big</font> world</p><p>two <b>bold</b></p>"},
        {0, 9, 0, 6, "<p>Hello <font size=\"5\">big</font> world</p><p>two <b>bold</b></p>"},
        {1, 0, 2, 4, "<p>Hello big world</p><p><font size=\"5\">two <b>bold</b></font></p>"},
        {0, 6, 1, 2, "<font size=\"5\"><p>Hello big world</p><p>two <b>bold</b></p></font>"},
        {0, 3, 0, 3, "<p>Hello big world</p><p>two <b>bold</b></p>"},
    };
    for (const auto &c : cases) {
        const DomTestPage page("<body><p>Hello big world</p><p>two <b>bold</b></p></body>");
        const auto model = documentModel(*page.document);
        const std::vector<dom::Node *> texts = textNodes(*model);
        dom::selectBetween(*model, {texts[size_t(c.fromText)], c.fromOffset}, {texts[size_t(c.toText)], c.toOffset});
        page.document->execCommand("FontSize", false, 5);
        EXPECT_EQ(page.bodyHtml(), c.expectedBody) << c.fromText << ":" << c.fromOffset << "-" << c.toText << ":" << c.toOffset;
    }
}

} // namespace
