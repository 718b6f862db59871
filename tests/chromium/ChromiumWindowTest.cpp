#include "ChromiumFixture.h"

#include "browser/chromium/ChromiumErrors.h"
#include "browser/chromium/ChromiumWindow.h"
#include "page/Document.h"

#include <chrono>
#include <thread>

namespace {

const std::string kFormPage = R"html(<html><body><form action="/submit" method="post">
<input name="q" value="start"><input type="submit" name="go" value="Go"></form></body></html>)html";

const std::string kOpenerPage = R"html(<html><body>
<a id="blank" href="/popup" target="_blank">Blank</a>
<button id="open" onclick="window.open('/scripted')">Open</button>
</body></html>)html";

const std::string kDialogPage = R"html(<html><body><script>alert('loading');</script>
<input id="answers">
<button id="ask" onclick="document.getElementById('answers').value =
  [alert('hi'), confirm('sure?'), prompt('name?', 'default')].join('|')">Ask</button>
</body></html>)html";

Element &elementById(const std::shared_ptr<Document> &document, const char *id, std::unique_ptr<Element> &keep)
{
    keep = asHtmlDocument(document).getElementById(QString::fromLatin1(id));
    if (!keep)
        throw ScriptError(ObjectNotSet);
    return *keep;
}

} // namespace

TEST_F(ChromiumFixture, ClickingASubmitButtonPostsTheForm)
{
    m_server->page("/form", kFormPage);
    std::string submitted;
    m_server->handle("POST", "/submit", [&submitted](const httplib::Request &request, httplib::Response &response) {
        submitted = request.body;
        response.set_content("<html><body>thanks</body></html>", "text/html");
    });
    const auto window = firstWindow();
    ASSERT_TRUE(window);
    load(*window, m_server->url("/form"));

    const auto document = window->document();
    document->getElementsByName(QStringLiteral("q"))->setValue(QStringLiteral("filled in"));
    m_sink.events.clear();
    document->getElementsByName(QStringLiteral("go"))->click();
    ASSERT_FALSE(m_sink.events.isEmpty());
    EXPECT_EQ(m_sink.events.front(), QStringLiteral("navigationStarted ") + m_server->url("/submit"));

    ASSERT_TRUE(waitForEvent(QStringLiteral("documentCompleted ") + m_server->url("/submit")));
    ASSERT_EQ(requestsFor("POST", "/submit"), 1);
    EXPECT_EQ(submitted, "q=filled+in&go=Go");
    EXPECT_EQ(window->document()->body()->innerText(), QStringLiteral("thanks"));
}

TEST_F(ChromiumFixture, PageOpeningAWindowGetsTheWindowTheSinkChooses)
{
    m_server->page("/opener", kOpenerPage);
    m_server->page("/popup", "<html><body>popup</body></html>");
    m_server->page("/scripted", "<html><body>scripted</body></html>");
    const auto window = firstWindow();
    ASSERT_TRUE(window);
    load(*window, m_server->url("/opener"));
    std::vector<std::shared_ptr<BrowserWindow>> popups;
    m_sink.newWindow = [&] {
        popups.push_back(m_browser->createWindow());
        return popups.back();
    };

    std::unique_ptr<Element> keep;
    elementById(window->document(), "blank", keep).click();
    ASSERT_TRUE(waitUntil([&] { return popups.size() == 1; }));
    ASSERT_TRUE(popups[0]);
    EXPECT_TRUE(waitUntil([&] { return popups[0]->locationUrl() == m_server->url("/popup") && !popups[0]->isBusy(); }));
    EXPECT_EQ(requestsFor("GET", "/popup"), 1);

    elementById(window->document(), "open", keep).click();
    ASSERT_TRUE(waitUntil([&] { return popups.size() == 2; }));
    EXPECT_TRUE(waitUntil([&] { return popups[1]->locationUrl() == m_server->url("/scripted") && !popups[1]->isBusy(); }));
    EXPECT_EQ(requestsFor("GET", "/scripted"), 1);

    // The popups are windows of their own; the opener goes on showing its page.
    EXPECT_EQ(m_browser->windows().size(), 3u);
    EXPECT_EQ(window->locationUrl(), m_server->url("/opener"));
    EXPECT_EQ(m_sink.newWindowRequests, 2);
}

TEST_F(ChromiumFixture, PopupGoesToAnotherWindowWhenTheSinkGivesOne)
{
    m_server->page("/opener", kOpenerPage);
    m_server->page("/popup", "<html><body>popup</body></html>");
    const auto window = firstWindow();
    ASSERT_TRUE(window);
    const auto other = m_browser->createWindow();
    load(*window, m_server->url("/opener"));
    m_sink.newWindow = [&] { return other; };

    std::unique_ptr<Element> keep;
    elementById(window->document(), "blank", keep).click();
    EXPECT_TRUE(waitUntil([&] { return other->locationUrl() == m_server->url("/popup") && !other->isBusy(); }));
    EXPECT_EQ(requestsFor("GET", "/popup"), 1);
    EXPECT_EQ(m_browser->windows().size(), 2u);
}

TEST_F(ChromiumFixture, PopupOpensOnItsOwnWithoutAChosenWindow)
{
    m_server->page("/opener", kOpenerPage);
    m_server->page("/popup", "<html><body>popup</body></html>");
    const auto window = firstWindow();
    ASSERT_TRUE(window);
    load(*window, m_server->url("/opener"));

    std::unique_ptr<Element> keep;
    elementById(window->document(), "blank", keep).click();
    EXPECT_TRUE(waitUntil([&] { return requestsFor("GET", "/popup") == 1; }));
    EXPECT_EQ(m_sink.newWindowRequests, 1);
    EXPECT_EQ(m_browser->windows().size(), 2u);
}

TEST_F(ChromiumFixture, GoBackStepsThroughHistoryAndFailsAtItsStart)
{
    m_server->page("/a", "<html><body>a <a href='#part'>part</a></body></html>");
    m_server->page("/b", "<html><body>b</body></html>");
    const auto fresh = m_browser->createWindow();
    fresh->setEventSink(&m_sink);
    try {
        fresh->goBack();
        ADD_FAILURE() << "a new window has nothing to go back to";
    } catch (const ScriptError &error) {
        EXPECT_EQ(error.number(), kUnspecifiedError);
        EXPECT_EQ(error.description(), QStringLiteral("Unspecified error"));
    }

    load(*fresh, m_server->url("/a"));
    load(*fresh, m_server->url("/b"));
    m_sink.events.clear();
    fresh->goBack();
    ASSERT_TRUE(waitForEvent(QStringLiteral("documentCompleted ") + m_server->url("/a"))) << m_sink.events.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(fresh->locationUrl(), m_server->url("/a"));
    EXPECT_EQ(fresh->document()->body()->innerText(), QStringLiteral("a part"));
}

TEST_F(ChromiumFixture, MovingWithinTheDocumentStillCompletes)
{
    m_server->page("/a", "<html><body>a <a id='part' href='#part'>part</a></body></html>");
    const auto window = firstWindow();
    ASSERT_TRUE(window);
    load(*window, m_server->url("/a"));
    m_sink.events.clear();

    std::unique_ptr<Element> keep;
    elementById(window->document(), "part", keep).click();
    ASSERT_TRUE(waitForEvent(QStringLiteral("documentCompleted ") + m_server->url("/a#part")));
    EXPECT_EQ(m_sink.events.front(), QStringLiteral("navigationStarted ") + m_server->url("/a#part"));
    EXPECT_EQ(window->locationUrl(), m_server->url("/a#part"));
}

TEST_F(ChromiumFixture, AnswerlessNavigationStillCompletes)
{
    m_server->page("/a", "<html><body>a</body></html>");
    m_server->handle("GET", "/empty", [](const httplib::Request &, httplib::Response &response) { response.status = 204; });
    const auto window = firstWindow();
    ASSERT_TRUE(window);
    load(*window, m_server->url("/a"));
    m_sink.events.clear();

    window->navigate(m_server->url("/empty"));
    ASSERT_TRUE(waitForEvent(QStringLiteral("documentCompleted ") + m_server->url("/a")));
    EXPECT_EQ(m_sink.events.front(), QStringLiteral("navigationStarted ") + m_server->url("/empty"));
    EXPECT_FALSE(window->isBusy());
}

TEST_F(ChromiumFixture, ClicksTowardsLocalFilesFromTheWebEndAtOnceOnTheSamePage)
{
    m_server->page("/links", "<html><body><p>web page</p><a id=direct href='file:///etc/hostname'>d</a>"
                             "<form action='file:///etc/hostname'><input type=submit id=send></form></body></html>");
    const auto window = firstWindow();
    ASSERT_TRUE(window);
    load(*window, m_server->url("/links"));
    for (const char *id : {"direct", "send"}) {
        m_sink.events.clear();
        std::unique_ptr<Element> keep;
        elementById(window->document(), id, keep).click();
        // The browser drops them without an event: the run is told, as for an empty answer.
        ASSERT_TRUE(waitForEvent(QStringLiteral("documentCompleted ") + m_server->url("/links"))) << id;
        EXPECT_EQ(window->locationUrl(), m_server->url("/links")) << id;
    }
}

TEST_F(ChromiumFixture, JavaScriptDialogsNeverBlock)
{
    m_server->page("/dialogs", kDialogPage);
    const auto window = firstWindow();
    ASSERT_TRUE(window);
    load(*window, m_server->url("/dialogs"));

    std::unique_ptr<Element> keep;
    elementById(window->document(), "ask", keep).click();
    EXPECT_EQ(elementById(window->document(), "answers", keep).value(), QStringLiteral("|true|default"));
}

TEST_F(ChromiumFixture, QuitClosesTheWindowForGood)
{
    m_server->page("/a", "<html><body>a</body></html>");
    const auto window = firstWindow();
    ASSERT_TRUE(window);
    const auto spare = m_browser->createWindow();
    load(*window, m_server->url("/a"));
    const auto body = window->document()->body();

    window->quit();

    EXPECT_EQ(errorNumberOf([&] { window->navigate(m_server->url("/a")); }), RemoteUnavailable);
    EXPECT_EQ(errorNumberOf([&] { (void)window->document(); }), RemoteUnavailable);
    EXPECT_EQ(errorNumberOf([&] { (void)window->name(); }), RemoteUnavailable);
    EXPECT_EQ(errorNumberOf([&] { window->quit(); }), RemoteUnavailable);
    EXPECT_EQ(errorNumberOf([&] { (void)body->innerText(); }), RemoteUnavailable);
    const auto windows = m_browser->windows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows.front(), spare);
}

TEST_F(ChromiumFixture, KilledChromiumMakesEverythingUnavailable)
{
    m_server->page("/a", "<html><body>a</body></html>");
    const auto window = firstWindow();
    ASSERT_TRUE(window);
    load(*window, m_server->url("/a"));
    const auto document = window->document();
    const auto body = document->body();

    killChromium();

    // A navigation asked for before the loss is noticed fails as one asked for after it.
    EXPECT_EQ(errorNumberOf([&] { window->navigate(m_server->url("/a")); }), RemoteUnavailable);
    EXPECT_TRUE(waitUntil([&] { return errorNumberOf([&] { (void)window->isBusy(); }) == RemoteUnavailable; }));
    EXPECT_EQ(errorNumberOf([&] { (void)body->innerText(); }), RemoteUnavailable);
    EXPECT_EQ(errorNumberOf([&] { (void)document->links(); }), RemoteUnavailable);
    EXPECT_EQ(errorNumberOf([&] { window->navigate(m_server->url("/a")); }), RemoteUnavailable);
    EXPECT_TRUE(m_browser->windows().empty());
    EXPECT_FALSE(m_browser->endpointAnswers());
    EXPECT_EQ(errorNumberOf([&] { (void)m_browser->createWindow(); }), RemoteUnavailable);
}

TEST_F(ChromiumFixture, WindowKeepsWhatChromiumCannotShow)
{
    const auto window = firstWindow();
    ASSERT_TRUE(window);
    window->setStatusText(QStringLiteral("NavRelay Successfully Attached."));
    window->setToolBar(false);
    window->setStatusBar(false);
    const auto &chromiumWindow = dynamic_cast<ChromiumWindow &>(*window);
    EXPECT_EQ(chromiumWindow.statusText(), QStringLiteral("NavRelay Successfully Attached."));
    EXPECT_FALSE(chromiumWindow.toolBar());
    EXPECT_FALSE(chromiumWindow.statusBar());
    window->stop();
    m_browser->activateWindow(QStringLiteral("Chromium"));
}

TEST_F(ChromiumFixture, QuittingTheLastPageKeepsTheSessionAndItsCookies)
{
    m_server->handle("GET", "/set", [](const httplib::Request &, httplib::Response &response) {
        response.set_header("Set-Cookie", "session=kept; Path=/");
        response.set_content("<html><body>set</body></html>", "text/html");
    });
    m_server->handle("GET", "/show", [](const httplib::Request &request, httplib::Response &response) {
        response.set_content("<html><body>" + request.get_header_value("Cookie") + "</body></html>", "text/html");
    });
    const auto window = firstWindow();
    ASSERT_TRUE(window);
    load(*window, m_server->url("/set"));

    window->quit();

    const auto windows = m_browser->windows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_NE(windows.front(), window);
    windows.front()->setEventSink(&m_sink);
    load(*windows.front(), m_server->url("/show"));
    EXPECT_EQ(windows.front()->document()->body()->innerText(), QStringLiteral("session=kept"));
}

TEST_F(ChromiumFixture, StartingTheProgramWhileChromiumAnswersOpensAWindow)
{
    ASSERT_TRUE(firstWindow());

    m_browser->startProgram();

    const auto windows = m_browser->windows();
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_TRUE(windows.front()->document());
    EXPECT_TRUE(windows.back()->document());
}

TEST_F(ChromiumFixture, LettingGoOfTheBrowserWaitsForAStartedNavigationToReachItsServer)
{
    m_server->handle("GET", "/slow", [](const httplib::Request &, httplib::Response &response) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        response.set_content("<html><body>slow</body></html>", "text/html");
    });
    const auto window = firstWindow();
    ASSERT_TRUE(window);
    window->navigate(m_server->url("/slow"));
    window->setEventSink(nullptr);

    m_browser.reset();

    EXPECT_EQ(requestsFor("GET", "/slow"), 1);
}
