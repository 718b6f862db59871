#include "QtPrinters.h"
#include "BuiltinTesting.h"
#include "QtWait.h"
#include "TestServer.h"

#include "browser/builtin/BuiltinBrowser.h"
#include "browser/builtin/BuiltinWindow.h"
#include "engine/ScriptError.h"
#include "page/Document.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class BuiltinWindowTest : public ::testing::Test {
protected:
    BuiltinWindowTest()
    {
        window = browser.openWindow();
        window->setEventSink(&sink);
    }

    void waitForCompletions(int count)
    {
        ASSERT_TRUE(waitUntil([&] { return sink.completions() >= count; }, 60000)) << sink.events.join('|').toStdString();
    }

    // Navigates the window and waits for its DocumentComplete.
    void open(const QString &url)
    {
        const int before = sink.completions();
        window->Navigate(url);
        waitForCompletions(before + 1);
    }

    [[nodiscard]] QString bodyText(BrowserWindow &of)
    {
        const auto document = of.document();
        if (!document || document->kind() != DocumentKind::Html || !document->body())
            return {};
        return document->body()->innerText();
    }

    [[nodiscard]] static int errorNumber(const std::function<void()> &operation)
    {
        try {
            operation();
        } catch (const ScriptError &error) {
            return error.number();
        }
        return 0;
    }

    TestServer server;
    BuiltinBrowser browser;
    std::shared_ptr<BuiltinWindow> window;
    RecordingSink sink;
};

TEST_F(BuiltinWindowTest, EventsComeInBrowserOrder)
{
    server.page("/a", "<title>Page A</title><p>first</p>");
    const QString url = server.url("/a");

    window->Navigate(url);

    EXPECT_EQ(sink.events, QStringList{"before " + url}) << "BeforeNavigate2 inside Navigate, nothing more";
    EXPECT_TRUE(window->Busy());
    EXPECT_EQ(window->document(), nullptr);
    waitForCompletions(1);
    EXPECT_EQ(sink.events, (QStringList{"before " + url, "complete " + url}));
    EXPECT_FALSE(window->Busy());
    EXPECT_EQ(window->LocationURL(), url);
    EXPECT_EQ(bodyText(*window), "first");
    EXPECT_EQ(window->title(), "Page A - NavRelay Browser");
    EXPECT_EQ(window->Name(), "NavRelay Browser");
}

TEST_F(BuiltinWindowTest, ANewNavigationOrStopEndsTheLoadUnderWay)
{
    RawServer silent({}, RawServer::Close::Never);
    server.page("/fast", "<p>fast</p>");

    window->Navigate(silent.url("/slow"));
    window->Navigate(server.url("/fast"));
    waitForCompletions(1);
    EXPECT_EQ(sink.events, (QStringList{"before " + silent.url("/slow"), "before " + server.url("/fast"),
                                        "complete " + server.url("/fast")}));

    window->Navigate(silent.url("/slow"));
    EXPECT_TRUE(window->Busy());
    window->Stop();
    EXPECT_FALSE(window->Busy());
    spinEvents(300);
    EXPECT_EQ(sink.completions(), 1) << "a stopped load completes nothing";
    EXPECT_EQ(bodyText(*window), "fast") << "the old page stays";
    EXPECT_EQ(window->LocationURL(), server.url("/fast"));

    // A page that takes the parser seconds is built off the event loop, and given up in turn.
    std::string heavy;
    for (int i = 0; i < 600; ++i)
        heavy += "<span>";
    for (int i = 0; i < 1000000; ++i)
        heavy += "</q>";
    server.page("/heavy", heavy);
    const auto startHeavy = [&] {
        const size_t before = server.pageRequests().size();
        window->Navigate(server.url("/heavy"));
        ASSERT_TRUE(waitUntil([&] { return server.pageRequests().size() > before; }));
        spinEvents(300);
        EXPECT_TRUE(window->Busy());
    };
    startHeavy();
    window->Navigate(server.url("/fast"));
    waitForCompletions(2);
    startHeavy();
    window->Stop();
    EXPECT_FALSE(window->Busy());
    spinEvents(300);
    EXPECT_EQ(sink.completions(), 2) << sink.events.join('|').toStdString();
    EXPECT_EQ(sink.events.filter("complete").last(), "complete " + server.url("/fast"));
}

TEST_F(BuiltinWindowTest, GoBackShowsRecentPagesAsLeftAndLoadsOlderOnesAgain)
{
    server.page("/a", "<p>A</p>");
    server.page("/b", "<p>B</p>");
    server.page("/c", "<p>C</p><input id=q>");
    server.page("/d", "<p>D</p>");
    server.page("/big", "<p>Big</p>" + std::string(MaxKeptPageBytes, ' '));
    server.handle("GET", "/n", [](const httplib::Request &, httplib::Response &response) {
        response.set_header("Cache-Control", "private, no-store");
        response.set_content("<p>N</p>", "text/html");
    });
    server.handle("POST", "/form", [](const httplib::Request &, httplib::Response &response) {
        response.set_content("<p>posted</p>", "text/html");
    });
    const auto back = [&] {
        const int before = sink.completions();
        window->GoBack();
        EXPECT_TRUE(sink.events.last().startsWith("before ")) << "the navigation starts inside the call";
        waitForCompletions(before + 1);
    };
    EXPECT_EQ(errorNumber([&] { window->GoBack(); }), -2147467259) << "no page yet";
    open(server.url("/a"));
    EXPECT_EQ(errorNumber([&] { window->GoBack(); }), -2147467259) << "no earlier page";
    NavigationRequest post;
    post.url = QUrl(server.url("/form"));
    post.method = "POST";
    post.body = "q=1";
    post.referrer = QUrl(server.url("/a"));
    window->load(post);
    waitForCompletions(2);
    EXPECT_EQ(bodyText(*window), "posted");
    for (const char *path : {"/b", "/big", "/n", "/c", "/d"})
        open(server.url(path));
    server.clearRequests();

    back();
    EXPECT_EQ(window->LocationURL(), server.url("/c"));
    window->document()->getElementById("q")->setValue("typed");
    open(server.url("/d"));
    server.clearRequests();
    back();
    EXPECT_EQ(window->document()->getElementById("q")->value(), "typed") << "the page as it was left";
    back();
    EXPECT_EQ(bodyText(*window), "N");
    back();
    EXPECT_EQ(bodyText(*window), "Big");
    back();
    EXPECT_EQ(bodyText(*window), "B");
    back();
    EXPECT_TRUE(bodyText(*window).contains("not sent again")) << "a form is never sent again by history";
    back();
    EXPECT_EQ(bodyText(*window), "A");
    EXPECT_EQ(errorNumber([&] { window->GoBack(); }), -2147467259);

    QStringList asked;
    for (const auto &request : server.pageRequests())
        asked << QString::fromStdString(request.method + " " + request.target());
    EXPECT_EQ(asked, (QStringList{"GET /n", "GET /big", "GET /b", "GET /a"}))
        << "only a page the server said not to keep, a big one and those too far back";
}

TEST_F(BuiltinWindowTest, AQuitWindowAnswersEveryOperationWith462)
{
    bool closedSignal = false;
    QObject::connect(window.get(), &BuiltinWindow::closed, [&] { closedSignal = true; });
    open(QStringLiteral("about:blank"));

    window->Quit();

    EXPECT_TRUE(closedSignal);
    EXPECT_TRUE(browser.ShellWindows().empty());
    const std::vector<std::function<void()>> operations = {
        [&] { window->Navigate("about:blank"); },
        [&] { window->GoBack(); },
        [&] { window->Stop(); },
        [&] { window->Quit(); },
        [&] { (void)window->document(); },
        [&] { (void)window->LocationURL(); },
        [&] { (void)window->Busy(); },
        [&] { (void)window->Name(); },
        [&] { window->setStatusText("x"); },
        [&] { window->setToolBar(false); },
        [&] { window->setStatusBar(false); },
        [&] { window->ExecWB(OLECMDID_CLEARSELECTION, OLECMDEXECOPT_DONTPROMPTUSER); },
        [&] { window->setEventSink(&sink); },
        [&] { window->followHyperlink(NavigationRequest{}); },
    };
    for (size_t i = 0; i < operations.size(); ++i)
        EXPECT_EQ(errorNumber(operations[i]), RemoteUnavailable) << "operation " << i;
    EXPECT_EQ(errorNumber([&] { window->setEventSink(nullptr); }), 0) << "disconnecting needs no browser";
}

TEST_F(BuiltinWindowTest, OneCookieJarServesEveryWindow)
{
    server.handle("GET", "/login", [](const httplib::Request &, httplib::Response &response) {
        response.set_header("Set-Cookie", "session=abc123; Path=/");
        response.set_content("<p>in</p>", "text/html");
    });
    server.page("/check", "<p>checked</p>");
    open(server.url("/login"));

    const auto second = browser.openWindow();
    second->Navigate(server.url("/check"));
    ASSERT_TRUE(waitUntil([&] { return !second->Busy(); }));

    const auto requests = server.pageRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].header("Cookie"), "session=abc123");
}

TEST_F(BuiltinWindowTest, FailedLoadsShowAnErrorPageAndComplete)
{
    QTcpServer closedPort;
    closedPort.listen(QHostAddress::LocalHost);
    const QString refused = QStringLiteral("http://127.0.0.1:%1/").arg(closedPort.serverPort());
    closedPort.close();
    const QString tls = QStringLiteral("https://127.0.0.1:%1/").arg(server.port());
    QTemporaryDir dir;
    const QString missing = QUrl::fromLocalFile(dir.filePath("missing.html")).toString();

    const struct {
        QString url;
        QString says;
    } cases[] = {
        {refused, "refused to connect"},
        {tls, "secure connection"},
        {missing, "could not be found"},
        {"gopher://127.0.0.1/", "cannot open addresses"},
        {"http:///nohost", "not valid"},
    };
    for (const auto &c : cases) {
        open(c.url);
        EXPECT_TRUE(bodyText(*window).contains(c.says, Qt::CaseInsensitive)) << bodyText(*window).toStdString();
        EXPECT_EQ(window->LocationURL(), c.url);
        EXPECT_EQ(sink.events.last(), "complete " + c.url);
    }
}

TEST_F(BuiltinWindowTest, EveryKindOfAnswerBecomesADocument)
{
    server.handle("GET", "/missing", [](const httplib::Request &, httplib::Response &response) {
        response.status = 404;
        response.set_content("<h1>No such page</h1>", "text/html");
    });
    server.page("/image", std::string("\x89PNG\r\n\x1a\n\0\0", 10), "image/png");
    server.page("/text", "a < b & c\nline 2", "text/plain; charset=utf-8");
    server.page("/big", std::string(50 * 1024 * 1024, 'z'), "application/octet-stream");
    QTemporaryDir dir;
    QFile file(dir.filePath("local.html"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<title>Local</title><p>on disk</p>");
    file.close();

    open(server.url("/missing"));
    EXPECT_EQ(bodyText(*window), "No such page");
    open(server.url("/image"));
    ASSERT_NE(window->document(), nullptr);
    EXPECT_EQ(window->document()->kind(), DocumentKind::Other);
    open(server.url("/text"));
    EXPECT_EQ(bodyText(*window), "a < b & c\nline 2");
    open(server.url("/big"));
    EXPECT_EQ(window->document()->kind(), DocumentKind::Other);
    open(QUrl::fromLocalFile(file.fileName()).toString());
    EXPECT_EQ(bodyText(*window), "on disk");
    EXPECT_EQ(window->title(), "Local - NavRelay Browser");
    open(QStringLiteral("data:text/html,<p>inline</p>"));
    EXPECT_EQ(bodyText(*window), "inline");
    open(QStringLiteral("about:blank"));
    EXPECT_EQ(window->document()->kind(), DocumentKind::Html);
    EXPECT_EQ(bodyText(*window), "");

    const auto blankDocument = window->document();
    open(QStringLiteral("javascript:void(0)"));
    EXPECT_EQ(window->document(), blankDocument) << "a script address leaves the page as it is";
}

TEST_F(BuiltinWindowTest, TypedAddressesWithoutSchemeAreHttp)
{
    server.page("/typed", "<p>typed</p>");
    const QString typed = QStringLiteral("127.0.0.1:%1/typed").arg(server.port());
    open(typed);
    EXPECT_EQ(window->LocationURL(), server.url("/typed"));
    EXPECT_EQ(bodyText(*window), "typed");
}

TEST_F(BuiltinWindowTest, TargetsChooseTheWindowThatNavigates)
{
    server.page("/a", "<p>A</p>");
    server.page("/b", "<p>B</p>");
    open(server.url("/a"));
    NavigationRequest link;
    link.url = QUrl(server.url("/b"));
    link.referrer = QUrl(server.url("/a"));

    // "_blank": the attached window asks its sink, which hands over a window of its own.
    const auto popup = browser.openWindow();
    sink.newWindow = popup;
    link.target = "_blank";
    window->followHyperlink(link);
    EXPECT_EQ(sink.events.last(), "newwindow") << "the attached window does not navigate";
    ASSERT_TRUE(waitUntil([&] { return !popup->Busy(); }));
    EXPECT_EQ(bodyText(*popup), "B");
    EXPECT_EQ(popup->windowName(), "");
    EXPECT_EQ(server.pageRequests().back().header("Referer"), server.url("/a").toStdString());

    // A name no window has, and a sink that offers nothing: the browser opens the window.
    sink.newWindow = nullptr;
    link.target = "results";
    window->followHyperlink(link);
    ASSERT_EQ(browser.windows().size(), 3u);
    const auto named = browser.windows().back();
    EXPECT_EQ(named->windowName(), "results");
    ASSERT_TRUE(waitUntil([&] { return !named->Busy(); }));
    EXPECT_EQ(bodyText(*named), "B");

    // The same name again: that window, no new one.
    sink.events.clear();
    link.url = QUrl(server.url("/a"));
    window->followHyperlink(link);
    EXPECT_TRUE(sink.events.isEmpty());
    EXPECT_EQ(browser.windows().size(), 3u);
    ASSERT_TRUE(waitUntil([&] { return !named->Busy(); }));
    EXPECT_EQ(bodyText(*named), "A");

    // This window's own names.
    for (const QString target : {"", "_self", "_top", "_PARENT"}) {
        link.target = target;
        const int before = sink.completions();
        window->followHyperlink(link);
        EXPECT_EQ(sink.events.last(), "before " + server.url("/a")) << target.toStdString();
        waitForCompletions(before + 1);
    }
    EXPECT_EQ(browser.windows().size(), 3u);
}

TEST_F(BuiltinWindowTest, StartedProgramShowsABlankPageAtOnce)
{
    browser.startProgram();

    ASSERT_EQ(browser.ShellWindows().size(), 2u);
    const auto started = browser.ShellWindows().back();
    ASSERT_NE(started->document(), nullptr);
    EXPECT_EQ(started->document()->kind(), DocumentKind::Html);
    EXPECT_EQ(started->LocationURL(), "about:blank");
    EXPECT_FALSE(started->Busy());
    EXPECT_EQ(browser.browserName(), "NavRelay Browser");
    EXPECT_EQ(browser.programName(), "NavRelay Browser");
}

TEST_F(BuiltinWindowTest, ViewStateIsKeptAndAnnounced)
{
    int statusChanges = 0;
    int barChanges = 0;
    int activations = 0;
    QObject::connect(window.get(), &BuiltinWindow::statusTextChanged, [&] { ++statusChanges; });
    QObject::connect(window.get(), &BuiltinWindow::barsChanged, [&] { ++barChanges; });
    QObject::connect(window.get(), &BuiltinWindow::activationRequested, [&] { ++activations; });
    open(QStringLiteral("data:text/html,<title>Shown</title><p>x</p>"));

    window->setStatusText("NavRelay Successfully Attached.");
    window->setToolBar(false);
    window->setStatusBar(false);
    browser.activateWindow("NavRelay Browser");
    browser.activateWindow("No such window");

    EXPECT_EQ(window->statusText(), "NavRelay Successfully Attached.");
    EXPECT_FALSE(window->toolBarVisible());
    EXPECT_FALSE(window->statusBarVisible());
    EXPECT_EQ(statusChanges, 1);
    EXPECT_EQ(barChanges, 2);
    EXPECT_EQ(activations, 1);
    window->ExecWB(OLECMDID_CLEARSELECTION, OLECMDEXECOPT_DONTPROMPTUSER);
    EXPECT_LT(errorNumber([&] { window->ExecWB(99, 0); }), 0);
}

TEST_F(BuiltinWindowTest, AHandlerThatQuitsOrNavigatesFromDocumentCompleteIsSafe)
{
    server.page("/a", "<p>A</p>");
    server.page("/b", "<p>B</p>");
    struct Renavigating : RecordingSink {
        BuiltinWindow *target = nullptr;
        void IE_DocumentComplete(const QString &url) override
        {
            RecordingSink::IE_DocumentComplete(url);
            if (completions() == 1)
                target->Navigate(url.left(url.size() - 1) + "b");
            else
                target->Quit();
        }
    } renavigating;
    renavigating.target = window.get();
    window->setEventSink(&renavigating);

    window->Navigate(server.url("/a"));

    ASSERT_TRUE(waitUntil([&] { return window->isClosed(); }));
    EXPECT_EQ(renavigating.events.size(), 4);
    EXPECT_EQ(renavigating.events.last(), "complete " + server.url("/b"));
}

} // namespace
