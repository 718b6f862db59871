// Pages and servers that try to reach local files, jam the network stack or fill memory.
#include "QtPrinters.h"
#include "BuiltinTesting.h"
#include "HostileServer.h"
#include "QtWait.h"
#include "TestServer.h"

#include "browser/builtin/BuiltinBrowser.h"
#include "browser/builtin/BuiltinWindow.h"
#include "page/Document.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <thread>

#include <gtest/gtest.h>

namespace {

class HostileServerTest : public ::testing::Test {
protected:
    HostileServerTest()
    {
        window = browser.openWindow();
        window->setEventSink(&sink);
        server.page("/next", "<p>next page</p>");
    }

    // Navigates the window and waits for its DocumentComplete, well within the transfer timeout.
    void open(const QString &url)
    {
        const int before = sink.completions();
        window->Navigate(url);
        ASSERT_TRUE(waitUntil([&] { return sink.completions() > before; }, 15000)) << url.toStdString();
    }

    [[nodiscard]] QString bodyText()
    {
        const auto document = window->document();
        if (!document || document->kind() != DocumentKind::Html || !document->body())
            return {};
        return document->body()->innerText();
    }

    TestServer server;
    BuiltinBrowser browser;
    std::shared_ptr<BuiltinWindow> window;
    RecordingSink sink;
};

TEST_F(HostileServerTest, HeaderBlocksPastTheBoundEndTheLoadAtOnceAndLaterLoadsWork)
{
    const auto headers = [](int lines, int lineLength) {
        QByteArray block = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 13\r\n";
        for (int line = 0; line < lines; ++line)
            block += "X-Line-" + QByteArray::number(line) + ": " + QByteArray(lineLength, 'v') + "\r\n";
        return block + "\r\n<p>arrived</p";
    };
    EndlessHeaderServer flood;
    // Kept open after the answer, as a kept-alive connection is: only the headers can end it.
    RawServer within(headers(90, 80), RawServer::Close::Never);
    RawServer tooManyLines(headers(120, 10), RawServer::Close::Never);
    RawServer tooManyBytes(headers(60, 2200), RawServer::Close::Never);
    RawServer endless128k(headers(1300, 100), RawServer::Close::Never);

    const struct {
        QString url;
        QString shown;
    } cases[] = {
        {flood.url(), "Headers too large"},
        {within.url(), "arrived"},
        {tooManyLines.url(), "Headers too large"},
        {tooManyBytes.url(), "Headers too large"},
        {endless128k.url(), "Headers too large"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.url.toStdString());
        open(c.url);
        EXPECT_TRUE(bodyText().startsWith(c.shown)) << bodyText().toStdString();
        open(server.url("/next"));
        EXPECT_EQ(bodyText(), "next page");
    }
}

// While one window waits for slow headers, another window's body from the same server keeps
// coming: only the connection of the waiting load is watched.
TEST_F(HostileServerTest, AnotherWindowsLoadFromTheSameServerIsNotCut)
{
    using namespace std::chrono_literals;
    constexpr size_t piece = 256 * 1024;
    constexpr size_t pieces = 24;
    server.handle("GET", "/trickle", [](const httplib::Request &, httplib::Response &response) {
        response.set_chunked_content_provider("text/plain", [](size_t offset, httplib::DataSink &sink) {
            if (offset >= piece * pieces) {
                sink.done();
                return true;
            }
            std::this_thread::sleep_for(40ms);
            const std::string bytes(piece, 't');
            return sink.write(bytes.data(), bytes.size());
        });
    });
    server.handle("GET", "/slow", [](const httplib::Request &, httplib::Response &response) {
        std::this_thread::sleep_for(500ms);
        response.set_content("<p>slow page</p>", "text/html");
    });
    const auto other = browser.openWindow();
    RecordingSink otherSink;
    other->setEventSink(&otherSink);

    other->Navigate(server.url("/trickle"));
    ASSERT_TRUE(waitUntil([&] { return !server.pageRequests().empty(); }));
    spinEvents(100);
    open(server.url("/slow"));
    EXPECT_EQ(bodyText(), "slow page");
    ASSERT_TRUE(waitUntil([&] { return otherSink.completions() > 0; }, 15000));
    const auto text = other->document()->body()->innerText();
    EXPECT_EQ(text.size(), static_cast<qsizetype>(piece * pieces)) << text.left(40).toStdString();
}

TEST_F(HostileServerTest, PagesFromTheWebCannotOpenLocalFiles)
{
    QTemporaryDir dir;
    QFile secret(dir.filePath(QStringLiteral("secret.html")));
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    secret.write("<p>secret</p>");
    secret.close();
    const std::string secretUrl = QUrl::fromLocalFile(secret.fileName()).toString().toStdString();
    const std::string folderUrl = QUrl::fromLocalFile(dir.path() + "/").toString().toStdString();
    server.page("/links", "<p>web page</p><a id=direct href='" + secretUrl + "'>direct</a>"
                          "<a id=popup target=_blank href='" + secretUrl + "'>popup</a>"
                          "<form action='" + secretUrl + "'><input type=submit id=send></form>");
    server.page("/based", "<base href='" + folderUrl + "'><p>web page</p><a id=relative href=secret.html>relative</a>");
    const auto popup = browser.openWindow();
    sink.newWindow = popup;

    for (const char *page : {"/links", "/based"}) {
        open(server.url(page));
        for (const char *id : {"direct", "popup", "send", "relative"}) {
            const auto element = window->document()->getElementById(id);
            if (!element)
                continue;
            const int before = sink.completions();
            const bool inPopup = QLatin1String(id) == QLatin1String("popup");
            element->click();
            // The page stays; the navigation ends as one that brings no page, so a run goes on.
            EXPECT_TRUE(waitUntil([&] { return inPopup ? !popup->Busy() : sink.completions() > before; })) << id;
            EXPECT_EQ(window->LocationURL(), server.url(page)) << id;
            EXPECT_TRUE(bodyText().startsWith("web page")) << id;
            EXPECT_FALSE(popup->document() && popup->document()->body()
                         && popup->document()->body()->innerText().contains("secret")) << id;
        }
    }

    // Typed, or from a page that is itself a file, a file opens.
    const QString local = QUrl::fromLocalFile(dir.filePath(QStringLiteral("local.html"))).toString();
    QFile localPage(dir.filePath(QStringLiteral("local.html")));
    ASSERT_TRUE(localPage.open(QIODevice::WriteOnly));
    localPage.write(("<a id=sibling href='" + secretUrl + "'>sibling</a>").c_str());
    localPage.close();
    open(local);
    const int before = sink.completions();
    window->document()->getElementById("sibling")->click();
    ASSERT_TRUE(waitUntil([&] { return sink.completions() > before; }));
    EXPECT_EQ(bodyText(), "secret");
}

} // namespace
