#include "ChromiumFixture.h"

#include "browser/chromium/ChromiumErrors.h"
#include "page/Document.h"

namespace {

const std::string kPage = R"html(<html><head><title>Doc</title></head><body>
<p id="intro" class="lead">Hello <b>world</b></p>
<a id="l1" href="/next" target="_self">Next page</a>
<a id="l2" href="/other">Other</a>
<form action="/submit" method="post">
<input id="q" name="q" type="text" value="start"><input type="file" id="file" name="file">
<input type="submit" name="go" value="Go">
</form>
<img id="pic" src="/pic.png">
<svg id="drawing"><circle class="dot" r="1"></circle></svg>
<input id="sel">
<script>document.addEventListener('selectionchange', () => {
  document.getElementById('sel').value = String(getSelection()).length; });</script>
</body></html>)html";

class ChromiumDocumentTest : public ChromiumFixture {
protected:
    void SetUp() override
    {
        ChromiumFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        m_server->page("/doc", kPage);
        m_window = firstWindow();
        ASSERT_TRUE(m_window);
        load(*m_window, m_server->url("/doc"));
        m_document = m_window->document();
        ASSERT_TRUE(m_document);
    }

    [[nodiscard]] std::unique_ptr<Element> byId(const char *id) const
    {
        return m_document->getElementById(QString::fromLatin1(id));
    }

    std::shared_ptr<BrowserWindow> m_window;
    std::shared_ptr<Document> m_document;
};

using Getter = QString (Element::*)() const;

} // namespace

TEST_F(ChromiumDocumentTest, ElementPropertiesReadAsTheDomGivesThem)
{
    const struct {
        const char *id;
        Getter getter;
        QString expected;
    } cases[] = {
        {"intro", &Element::tagName, QStringLiteral("P")},
        {"intro", &Element::innerText, QStringLiteral("Hello world")},
        {"intro", &Element::innerHTML, QStringLiteral("Hello <b>world</b>")},
        {"intro", &Element::className, QStringLiteral("lead")},
        {"intro", &Element::id, QStringLiteral("intro")},
        {"l1", &Element::href, m_server->url("/next")},
        {"l1", &Element::target, QStringLiteral("_self")},
        {"l2", &Element::target, QString()},
        {"q", &Element::name, QStringLiteral("q")},
        {"q", &Element::type, QStringLiteral("text")},
        {"q", &Element::value, QStringLiteral("start")},
        {"pic", &Element::src, m_server->url("/pic.png")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ((*byId(c.id).*c.getter)(), c.expected);
    }
}

TEST_F(ChromiumDocumentTest, PropertiesAnElementLacksAreNotSupported)
{
    const auto intro = byId("intro");
    EXPECT_EQ(errorNumberOf([&] { (void)intro->name(); }), NotSupported);
    EXPECT_EQ(errorNumberOf([&] { (void)intro->href(); }), NotSupported);
    EXPECT_EQ(errorNumberOf([&] { (void)intro->value(); }), NotSupported);
    EXPECT_EQ(errorNumberOf([&] { intro->setTarget(QStringLiteral("_blank")); }), NotSupported);
    // An SVG element has a class but no text of its own to write, nor a click.
    const auto circle = byId("drawing")->all()->item(0);
    EXPECT_EQ(circle->className(), QStringLiteral("dot"));
    EXPECT_EQ(errorNumberOf([&] { circle->setInnerText(QStringLiteral("x")); }), NotSupported);
}

TEST_F(ChromiumDocumentTest, CollectionsListElementsInDocumentOrder)
{
    const auto links = m_document->links();
    ASSERT_EQ(links->length(), 2);
    EXPECT_EQ(links->item(0)->id(), QStringLiteral("l1"));
    EXPECT_EQ(links->item(1)->innerText(), QStringLiteral("Other"));
    EXPECT_FALSE(links->item(2));
    EXPECT_FALSE(links->item(-1));

    EXPECT_EQ(m_document->getElementsByName(QStringLiteral("q"))->length(), 1);
    EXPECT_EQ(m_document->getElementsByName(QStringLiteral("q"))->value(), QStringLiteral("start"));
    EXPECT_EQ(m_document->getElementsByName(QStringLiteral("none"))->length(), 0);
    EXPECT_EQ(errorNumberOf([&] { (void)m_document->getElementsByName(QStringLiteral("none"))->value(); }), NotSupported);

    const auto inputs = m_document->getElementsByTagName(QStringLiteral("INPUT"));
    ASSERT_EQ(inputs->length(), 4);
    EXPECT_EQ(inputs->item(2)->value(), QStringLiteral("Go"));

    const auto all = m_document->all();
    EXPECT_EQ(all->item(0)->tagName(), QStringLiteral("HTML"));
    EXPECT_EQ(all->item(1)->tagName(), QStringLiteral("HEAD"));
    const auto bodyAll = m_document->body()->all();
    EXPECT_EQ(bodyAll->item(0)->id(), QStringLiteral("intro"));
    EXPECT_EQ(bodyAll->item(1)->tagName(), QStringLiteral("B"));
    EXPECT_EQ(all->length(), bodyAll->length() + 4); // html, head, title and body themselves

    EXPECT_FALSE(m_document->getElementById(QStringLiteral("none")));
    EXPECT_EQ(m_document->kind(), DocumentKind::Html);
}

TEST_F(ChromiumDocumentTest, WritesChangeTheElements)
{
    const auto field = byId("q");
    field->setValue(QStringLiteral("typed \"text\" </script>"));
    EXPECT_EQ(field->value(), QStringLiteral("typed \"text\" </script>"));
    const auto intro = byId("intro");
    intro->setInnerText(QStringLiteral("Bye"));
    EXPECT_EQ(intro->innerHTML(), QStringLiteral("Bye"));
    const auto other = byId("l2");
    other->setTarget(QStringLiteral("_blank"));
    EXPECT_EQ(other->target(), QStringLiteral("_blank"));

    // The page refuses a file name; the refusal is the browser's own failure, not a crash.
    const int refused = errorNumberOf([&] { byId("file")->setValue(QStringLiteral("/etc/passwd")); });
    EXPECT_EQ(refused, kUnspecifiedError);
}

TEST_F(ChromiumDocumentTest, SelectionIsMadeAndClearedThroughTheWindow)
{
    const auto counter = byId("sel");
    m_document->execCommand(QStringLiteral("SelectAll"));
    ASSERT_TRUE(waitUntil([&] { return counter->value() != QLatin1String("0") && !counter->value().isEmpty(); }));
    m_window->clearSelection();
    EXPECT_TRUE(waitUntil([&] { return counter->value() == QLatin1String("0"); }));
}

TEST_F(ChromiumDocumentTest, DocumentOfAnotherKindIsNotHtml)
{
    m_server->page("/plain", "just text", "text/plain");
    load(*m_window, m_server->url("/plain"));
    const auto plain = m_window->document();
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->kind(), DocumentKind::Other);
    EXPECT_EQ(errorNumberOf([&] { (void)asHtmlDocument(plain); }), TypeMismatch);
}

TEST_F(ChromiumDocumentTest, HandlesOfAReplacedDocumentAreUnavailable)
{
    const auto intro = byId("intro");
    const auto links = m_document->links();
    m_server->page("/next", "<html><body>next</body></html>");
    load(*m_window, m_server->url("/next"));

    EXPECT_EQ(errorNumberOf([&] { (void)intro->innerText(); }), RemoteUnavailable);
    EXPECT_EQ(errorNumberOf([&] { (void)links->item(0)->href(); }), RemoteUnavailable);
    EXPECT_EQ(errorNumberOf([&] { (void)m_document->body(); }), RemoteUnavailable);
    EXPECT_EQ(m_window->document()->body()->innerText(), QStringLiteral("next"));
}
