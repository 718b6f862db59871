#include "QtPrinters.h"
#include "BuiltinTesting.h"
#include "QtWait.h"
#include "TestServer.h"

#include "browser/builtin/BuiltinBrowser.h"
#include "browser/builtin/BuiltinWindow.h"
#include "engine/ScriptError.h"
#include "page/Document.h"

#include <QTemporaryDir>

#include <thread>

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

    // Navigates the window and waits for its documentCompleted.
    void open(const QString &url)
    {
        const int before = sink.completions();
        window->navigate(url);
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

    window->navigate(url);

    EXPECT_EQ(sink.events, QStringList{"before " + url}) << "navigationStarted inside Navigate, nothing more";
    EXPECT_TRUE(window->isBusy());
    EXPECT_EQ(window->document(), nullptr);
    waitForCompletions(1);
    EXPECT_EQ(sink.events, (QStringList{"before " + url, "complete " + url}));
    EXPECT_FALSE(window->isBusy());
    EXPECT_EQ(window->locationUrl(), url);
    EXPECT_EQ(bodyText(*window), "first");
    EXPECT_EQ(window->title(), "Page A - NavRelay Browser");
    EXPECT_EQ(window->name(), "NavRelay Browser");
}

TEST_F(BuiltinWindowTest, ANewNavigationOrStopEndsTheLoadUnderWay)
{
    RawServer silent({}, RawServer::Close::Never);
    server.page("/fast", "<p>fast</p>");

    window->navigate(silent.url("/slow"));
    window->navigate(server.url("/fast"));
    waitForCompletions(1);
    EXPECT_EQ(sink.events, (QStringList{"before " + silent.url("/slow"), "before " + server.url("/fast"),
                                        "complete " + server.url("/fast")}));

    window->navigate(silent.url("/slow"));
    EXPECT_TRUE(window->isBusy());
    window->stop();
    EXPECT_FALSE(window->isBusy());
    spinEvents(300);
    EXPECT_EQ(sink.completions(), 1) << "a stopped load completes nothing";
    EXPECT_EQ(bodyText(*window), "fast") << "the old page stays";
    EXPECT_EQ(window->locationUrl(), server.url("/fast"));

    // A page that takes the parser seconds is built off the event loop, and given up in turn.
    std::string heavy;
    for (int i = 0; i < 600; ++i)
        heavy += "<span>";
    for (int i = 0; i < 1000000; ++i)
        heavy += "</q>";
    server.page("/heavy", heavy);
    const auto startHeavy = [&] {
        const size_t before = server.pageRequests().size();
        window->navigate(server.url("/heavy"));
        ASSERT_TRUE(waitUntil([&] { return server.pageRequests().size() > before; }));
        spinEvents(300);
        EXPECT_TRUE(window->isBusy());
    };
    startHeavy();
    window->navigate(server.url("/fast"));
    waitForCompletions(2);
    startHeavy();
    window->stop();
    EXPECT_FALSE(window->isBusy());
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
        window->goBack();
        EXPECT_TRUE(sink.events.last().startsWith("before ")) << "the navigation starts inside the call";
        waitForCompletions(before + 1);
    };
    EXPECT_EQ(errorNumber([&] { window->goBack(); }), -2147467259) << "no page yet";
    open(server.url("/a"));
    EXPECT_EQ(errorNumber([&] { window->goBack(); }), -2147467259) << "no earlier page";
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
    EXPECT_EQ(window->locationUrl(), server.url("/c"));
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
    EXPECT_EQ(errorNumber([&] { window->goBack(); }), -2147467259);

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

    window->quit();

    EXPECT_TRUE(closedSignal);
    EXPECT_TRUE(browser.windows().empty());
    const std::vector<std::function<void()>> operations = {
        [&] { window->navigate("about:blank"); },
        [&] { window->goBack(); },
        [&] { window->stop(); },
        [&] { window->quit(); },
        [&] { (void)window->document(); },
        [&] { (void)window->locationUrl(); },
        [&] { (void)window->isBusy(); },
        [&] { (void)window->name(); },
        [&] { window->setStatusText("x"); },
        [&] { window->setToolBar(false); },
        [&] { window->setStatusBar(false); },
        [&] { window->clearSelection(); },
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
    second->navigate(server.url("/check"));
    ASSERT_TRUE(waitUntil([&] { return !second->isBusy(); }));

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
        QString location;
    } cases[] = {
        {refused, "refused to connect", refused},
        {tls, "secure connection", tls},
        {missing, "could not be found", missing},
        {"gopher://127.0.0.1/", "cannot open addresses", "gopher://127.0.0.1/"},
        // No URL at all: nothing is asked of the network.
        {"http://a b/", "not valid", ""},
        {"http://example.com:99999/", "not valid", ""},
    };
    for (const auto &c : cases) {
        open(c.url);
        EXPECT_TRUE(bodyText(*window).contains(c.says, Qt::CaseInsensitive)) << bodyText(*window).toStdString();
        EXPECT_EQ(window->locationUrl(), c.location);
        EXPECT_EQ(sink.events.last(), "complete " + c.location);
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
    EXPECT_TRUE(bodyText(*window).startsWith("Page too large")) << bodyText(*window).toStdString();
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
    EXPECT_EQ(window->locationUrl(), server.url("/typed"));
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
    ASSERT_TRUE(waitUntil([&] { return !popup->isBusy(); }));
    EXPECT_EQ(bodyText(*popup), "B");
    EXPECT_EQ(popup->windowName(), "");
    EXPECT_EQ(server.pageRequests().back().header("Referer"), server.url("/a").toStdString());

    // A name no window has, and a sink that offers nothing: the browser opens the window.
    sink.newWindow = nullptr;
    link.target = "results";
    window->followHyperlink(link);
    ASSERT_EQ(browser.builtinWindows().size(), 3u);
    const auto named = browser.builtinWindows().back();
    EXPECT_EQ(named->windowName(), "results");
    ASSERT_TRUE(waitUntil([&] { return !named->isBusy(); }));
    EXPECT_EQ(bodyText(*named), "B");

    // The same name again: that window, no new one.
    sink.events.clear();
    link.url = QUrl(server.url("/a"));
    window->followHyperlink(link);
    EXPECT_TRUE(sink.events.isEmpty());
    EXPECT_EQ(browser.windows().size(), 3u);
    ASSERT_TRUE(waitUntil([&] { return !named->isBusy(); }));
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

    ASSERT_EQ(browser.windows().size(), 2u);
    const auto started = browser.windows().back();
    ASSERT_NE(started->document(), nullptr);
    EXPECT_EQ(started->document()->kind(), DocumentKind::Html);
    EXPECT_EQ(started->locationUrl(), "about:blank");
    EXPECT_FALSE(started->isBusy());
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
    window->clearSelection();
}

TEST_F(BuiltinWindowTest, AHandlerThatQuitsOrNavigatesFromDocumentCompleteIsSafe)
{
    server.page("/a", "<p>A</p>");
    server.page("/b", "<p>B</p>");
    struct Renavigating : RecordingSink {
        BuiltinWindow *target = nullptr;
        void documentCompleted(const QString &url) override
        {
            RecordingSink::documentCompleted(url);
            if (completions() == 1)
                target->navigate(url.left(url.size() - 1) + "b");
            else
                target->quit();
        }
    } renavigating;
    renavigating.target = window.get();
    window->setEventSink(&renavigating);

    window->navigate(server.url("/a"));

    ASSERT_TRUE(waitUntil([&] { return window->isClosed(); }));
    EXPECT_EQ(renavigating.events.size(), 4);
    EXPECT_EQ(renavigating.events.last(), "complete " + server.url("/b"));
}

// A header block past the bound ends its load with an error page, before any timeout, and
// leaves the network stack free for the loads that follow.
TEST_F(BuiltinWindowTest, HeaderBlocksPastTheBoundEndTheLoadAndLaterLoadsWork)
{
    server.page("/next", "<p>next page</p>");
    const QByteArray status = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 13\r\n";
    const auto lines = [](int count, int length) {
        QByteArray block;
        for (int line = 0; line < count; ++line)
            block += "X-Line-" + QByteArray::number(line) + ": " + QByteArray(length, 'v') + "\r\n";
        return block;
    };
    const QByteArray body = "\r\n<p>arrived</p";
    RawServer flood(status);
    flood.repeatAfterAnswer(lines(1000, 40));
    // Kept open after the answer, as a kept-alive connection is: only the headers can end it.
    RawServer within(status + lines(90, 80) + body, RawServer::Close::Never);
    RawServer tooManyLines(status + lines(120, 10) + body, RawServer::Close::Never);
    RawServer tooManyBytes(status + lines(1300, 100) + body, RawServer::Close::Never);

    const struct {
        const RawServer &hostile;
        QString shown;
    } cases[] = {
        {flood, "Headers too large"},
        {within, "arrived"},
        {tooManyLines, "Headers too large"},
        {tooManyBytes, "Headers too large"},
    };
    for (const auto &c : cases) {
        // With a kept escape too.
        for (const QString &url : {c.hostile.url(), c.hostile.url(QStringLiteral("/?x=%41"))}) {
            SCOPED_TRACE(url.toStdString());
            open(url);
            EXPECT_TRUE(bodyText(*window).startsWith(c.shown)) << bodyText(*window).toStdString();
            open(server.url("/next"));
            EXPECT_EQ(bodyText(*window), "next page");
        }
    }
}

// While one window waits for slow headers, another window's body from the same server keeps
// coming: only the connection of the waiting load is watched.
TEST_F(BuiltinWindowTest, AnotherWindowsLoadFromTheSameServerIsNotCut)
{
    using namespace std::chrono_literals;
    const std::string piece(256 * 1024, 't');
    server.handle("GET", "/trickle", [piece](const httplib::Request &, httplib::Response &response) {
        response.set_chunked_content_provider("text/plain", [piece](size_t offset, httplib::DataSink &sink) {
            std::this_thread::sleep_for(40ms);
            if (offset < 24 * piece.size())
                return sink.write(piece.data(), piece.size());
            sink.done();
            return true;
        });
    });
    server.handle("GET", "/slow", [](const httplib::Request &, httplib::Response &response) {
        std::this_thread::sleep_for(500ms);
        response.set_content("<p>slow page</p>", "text/html");
    });
    const auto other = browser.openWindow();
    other->navigate(server.url("/trickle"));
    ASSERT_TRUE(waitUntil([&] { return !server.pageRequests().empty(); }));
    open(server.url("/slow"));
    EXPECT_EQ(bodyText(*window), "slow page");
    ASSERT_TRUE(waitUntil([&] { return !other->isBusy(); }, 15000));
    EXPECT_EQ(other->document()->body()->innerText().size(), static_cast<qsizetype>(24 * piece.size()));
}

TEST_F(BuiltinWindowTest, PagesFromTheWebCannotOpenLocalFiles)
{
    QTemporaryDir dir;
    const auto writeFile = [&](const QString &name, const std::string &content) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content.c_str());
        return QUrl::fromLocalFile(file.fileName()).toString();
    };
    const std::string secret = writeFile("secret.html", "<p>secret</p>").toStdString();
    const std::string folder = QUrl::fromLocalFile(dir.path() + "/").toString().toStdString();
    server.page("/links", "<base href='" + folder + "'><p>web page</p><a id=direct href='" + secret + "'>d</a>"
                          "<a id=relative href=secret.html>r</a><form action=secret.html><input type=submit id=send>");
    open(server.url("/links"));
    for (const char *id : {"direct", "relative", "send"}) {
        const int before = sink.completions();
        window->document()->getElementById(id)->click();
        // The page stays; the navigation ends as one that brings no page, so a run goes on.
        EXPECT_TRUE(waitUntil([&] { return sink.completions() > before; })) << id;
        EXPECT_EQ(window->locationUrl(), server.url("/links")) << id;
        EXPECT_TRUE(bodyText(*window).startsWith("web page")) << id;
    }

    // Typed, or from a page that is itself a file, a file opens.
    open(writeFile("local.html", "<a id=sibling href='" + secret + "'>sibling</a>"));
    const int before = sink.completions();
    window->document()->getElementById("sibling")->click();
    ASSERT_TRUE(waitUntil([&] { return sink.completions() > before; }));
    EXPECT_EQ(bodyText(*window), "secret");
}

} // namespace
