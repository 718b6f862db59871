#include "QtPrinters.h"
#include "BuiltinTesting.h"
#include "QtWait.h"
#include "TestServer.h"

#include "browser/builtin/BuiltinBrowser.h"
#include "browser/builtin/BuiltinWindow.h"
#include "page/Document.h"

#include <gtest/gtest.h>

#include <mutex>

namespace {

constexpr char FormPage[] = R"(<!DOCTYPE html><html><head><title>Forms</title></head><body>
<form method="post" action="/submit"><input name="q" value="hello world"><input type="submit" id="send" name="go" value="Send"></form>
<form action="search"><input name="s" value="a&amp;b"><button id="find">Find</button></form>
<form method="post" action="%1" enctype="multipart/form-data"><input name="f" value="x"><input type="submit" id="up"></form>
<a id="link" href="/linked?x=1#part">linked</a>
</body></html>)";

// The requests the server saw, bodies included, as the browser sent them.
class FormClickTest : public ::testing::Test {
protected:
    FormClickTest()
    {
        server.page("/dir/forms", QString::fromLatin1(FormPage).arg(upload.url("/upload")).toStdString());
        for (const char *path : {"/submit", "/dir/search", "/linked"}) {
            server.handle(path == std::string("/dir/search") || path == std::string("/linked") ? "GET" : "POST", path,
                          [this](const httplib::Request &request, httplib::Response &response) {
                              const std::lock_guard lock(mutex);
                              bodies.push_back(request.body);
                              response.set_content("<p>answered</p>", "text/html");
                          });
        }
        window = browser.openWindow();
        window->setEventSink(&sink);
        window->navigate(server.url("/dir/forms"));
        waitUntil([&] { return sink.completions() == 1; });
        server.clearRequests();
    }

    // Clicks the element with that id and waits for the page it leads to.
    TestServer::Request click(const QString &id)
    {
        const int before = sink.completions();
        auto element = window->document()->getElementById(id);
        EXPECT_NE(element, nullptr) << id.toStdString();
        if (!element)
            return {};
        element->click();
        EXPECT_TRUE(sink.events.last().startsWith("before ")) << "navigationStarted comes inside the click";
        EXPECT_TRUE(waitUntil([&] { return sink.completions() > before; }));
        const auto requests = server.pageRequests();
        EXPECT_EQ(requests.size(), 1u);
        window->goBack();
        waitUntil([&] { return sink.completions() > before + 1; });
        server.clearRequests();
        return requests.empty() ? TestServer::Request{} : requests.front();
    }

    [[nodiscard]] std::string lastBody()
    {
        const std::lock_guard lock(mutex);
        return bodies.empty() ? std::string() : bodies.back();
    }

    TestServer server;
    // cpp-httplib takes multipart bodies apart; this one keeps the bytes as sent.
    RawServer upload{"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 2\r\n\r\nok"};
    BuiltinBrowser browser;
    std::shared_ptr<BuiltinWindow> window;
    RecordingSink sink;
    std::mutex mutex;
    std::vector<std::string> bodies;
};

TEST_F(FormClickTest, ServerSeesTheRequestsABrowserSends)
{
    const std::string page = server.url("/dir/forms").toStdString();
    const std::string origin = QStringLiteral("http://127.0.0.1:%1").arg(server.port()).toStdString();

    const auto post = click("send");
    EXPECT_EQ(post.method, "POST");
    EXPECT_EQ(post.target(), "/submit");
    EXPECT_EQ(lastBody(), "q=hello+world&go=Send");
    EXPECT_EQ(post.header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(post.header("Referer"), page);
    EXPECT_EQ(post.header("Origin"), origin);

    const auto get = click("find");
    EXPECT_EQ(get.method, "GET");
    EXPECT_EQ(get.target(), "/dir/search?s=a%26b");
    EXPECT_EQ(get.header("Referer"), page);
    EXPECT_EQ(get.header("Origin"), "");

    window->document()->getElementById("up")->click();
    ASSERT_TRUE(waitUntil([&] { return !window->isBusy(); }));
    const QByteArray sent = upload.received();
    const qsizetype boundaryAt = sent.indexOf("Content-Type: multipart/form-data; boundary=");
    ASSERT_GE(boundaryAt, 0) << sent.toStdString();
    const QByteArray boundary = sent.mid(boundaryAt + 44, sent.indexOf("\r\n", boundaryAt) - boundaryAt - 44);
    EXPECT_TRUE(sent.startsWith("POST /upload HTTP/1.1\r\n"));
    EXPECT_TRUE(sent.endsWith("\r\n\r\n--" + boundary + "\r\nContent-Disposition: form-data; name=\"f\"\r\n\r\nx\r\n--"
                              + boundary + "--\r\n"))
        << sent.toStdString();
    EXPECT_TRUE(sent.contains("\r\nOrigin: " + QByteArray(origin.c_str()) + "\r\n")) << sent.toStdString();
    window->goBack();
    ASSERT_TRUE(waitUntil([&] { return !window->isBusy(); }));
    server.clearRequests();

    const auto link = click("link");
    EXPECT_EQ(link.method, "GET");
    EXPECT_EQ(link.target(), "/linked?x=1");
    EXPECT_EQ(link.header("Referer"), page);
    EXPECT_EQ(window->locationUrl(), server.url("/dir/forms"));
}

} // namespace
