// Pages and servers that try to reach local files, jam the network stack or fill memory.
#include "QtPrinters.h"
#include "BuiltinTesting.h"
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
        SCOPED_TRACE(c.hostile.url().toStdString());
        open(c.hostile.url());
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
        EXPECT_EQ(window->LocationURL(), server.url("/links")) << id;
        EXPECT_TRUE(bodyText().startsWith("web page")) << id;
    }

    // Typed, or from a page that is itself a file, a file opens.
    open(writeFile("local.html", "<a id=sibling href='" + secret + "'>sibling</a>"));
    const int before = sink.completions();
    window->document()->getElementById("sibling")->click();
    ASSERT_TRUE(waitUntil([&] { return sink.completions() > before; }));
    EXPECT_EQ(bodyText(), "secret");
}

} // namespace
