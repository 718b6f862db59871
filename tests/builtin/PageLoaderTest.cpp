#include "QtPrinters.h"
#include "BuiltinTesting.h"
#include "CompressedZeros.h"
#include "QtWait.h"
#include "TestServer.h"

#include "browser/builtin/net/ContentDecoder.h"
#include "browser/builtin/net/CookieJar.h"
#include "browser/builtin/net/NetworkAccess.h"
#include "browser/builtin/net/PageLoader.h"
#include "browser/builtin/net/RequestHeaders.h"

#include <QFileInfo>
#include <QSslKey>
#include <QSslServer>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using namespace std::chrono_literals;

LoadedResponse load(NetworkAccess &network, const NavigationRequest &request, const LoadLimits &limits = {})
{
    PageLoader loader(network, limits, request);
    bool finished = false;
    QObject::connect(&loader, &PageLoader::finished, [&] { finished = true; });
    loader.start();
    EXPECT_FALSE(finished) << "a load never ends inside start()";
    EXPECT_TRUE(waitUntil([&] { return finished; }, 60000));
    return loader.response();
}

LoadedResponse load(const NavigationRequest &request, const LoadLimits &limits = {})
{
    NetworkAccess network;
    return load(network, request, limits);
}

// A request whose query keeps an escape QUrl would decode.
NavigationRequest keepingAnEscape(const QString &url)
{
    NavigationRequest request;
    request.url = QUrl(url);
    request.wireTarget = request.url.path(QUrl::FullyEncoded).toLatin1() + "?x=%41";
    return request;
}

LoadedResponse load(const QString &url, const LoadLimits &limits = {})
{
    NavigationRequest request;
    request.url = QUrl(url);
    return load(request, limits);
}

LoadFailureKind failureKind(const LoadedResponse &response)
{
    EXPECT_TRUE(response.failure.has_value());
    return response.failure ? response.failure->kind : LoadFailureKind::Other;
}

TEST(PageLoader, SendsTheRequestABrowserSends)
{
    TestServer server;
    server.page("/page", "<p>hi</p>");
    NavigationRequest request;
    request.url = QUrl(server.url("/page?a=1&b=%C3%A9"));
    request.referrer = QUrl(server.url("/from?x=1#frag"));

    const LoadedResponse response = load(request);

    EXPECT_FALSE(response.failure);
    EXPECT_EQ(response.httpStatus, 200);
    EXPECT_EQ(response.body, "<p>hi</p>");
    EXPECT_EQ(response.contentType, "text/html; charset=utf-8");
    const auto requests = server.pageRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].target(), "/page?a=1&b=%C3%A9");
    EXPECT_EQ(requests[0].header("User-Agent"), UserAgent);
    EXPECT_EQ(requests[0].header("Accept-Encoding"), AcceptedEncodings);
    EXPECT_EQ(requests[0].header("Referer"), server.url("/from?x=1").toStdString());
    EXPECT_EQ(requests[0].header("Origin"), "") << "a GET navigation sends no Origin";
    EXPECT_NE(requests[0].header("Accept").find("text/html"), std::string::npos);
}

TEST(PageLoader, PostsTheBodyWithItsTypeAndOrigin)
{
    TestServer server;
    std::string seenBody;
    server.handle("POST", "/form", [&](const httplib::Request &request, httplib::Response &response) {
        seenBody = request.body;
        response.set_content("done", "text/html");
    });
    NavigationRequest request;
    request.url = QUrl(server.url("/form"));
    request.method = "POST";
    request.body = "name=a+b&x=%26";
    request.contentType = "application/x-www-form-urlencoded";
    request.referrer = QUrl(server.url("/start"));

    const LoadedResponse response = load(request);

    EXPECT_EQ(response.body, "done");
    EXPECT_EQ(seenBody, "name=a+b&x=%26");
    const auto requests = server.pageRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(requests[0].header("Origin"), QStringLiteral("http://127.0.0.1:%1").arg(server.port()).toStdString());
    EXPECT_EQ(requests[0].header("Referer"), server.url("/start").toStdString());
}

TEST(PageLoader, AQueryWithKeptEscapesGoesOutAsWrittenWithCookiesBothWays)
{
    TestServer server;
    server.handle("GET", "/set", [](const httplib::Request &, httplib::Response &response) {
        response.set_header("Set-Cookie", "first=1");
        response.set_content("set", "text/plain");
    });
    const auto chunked = [](const httplib::Request &, httplib::Response &response) {
        response.set_header("Set-Cookie", "second=2");
        response.set_chunked_content_provider("text/html", [](size_t, httplib::DataSink &sink) {
            sink.write("<p>one ", 7);
            sink.write("two</p>", 7);
            sink.done();
            return true;
        });
    };
    server.handle("GET", "/echo", chunked);
    server.handle("POST", "/echo", chunked);
    server.handle("GET", "/moved", [](const httplib::Request &, httplib::Response &response) {
        response.set_redirect("/set?y=%42", 302);
    });
    NetworkAccess network;
    NavigationRequest plain;
    plain.url = QUrl(server.url("/set"));
    EXPECT_EQ(load(network, plain).body, "set");

    NavigationRequest get = keepingAnEscape(server.url("/echo?q=caf%E9&x=%41"));
    get.wireTarget = "/%65cho?q=caf%E9&x=%41";
    get.referrer = QUrl(server.url("/from"));
    const LoadedResponse answer = load(network, get);
    NavigationRequest post = get;
    post.method = "POST";
    post.body = "n=v";
    post.contentType = "application/x-www-form-urlencoded";
    EXPECT_EQ(load(network, post).body, "<p>one two</p>");
    EXPECT_EQ(load(network, keepingAnEscape(server.url("/moved"))).httpStatus, 200);

    EXPECT_EQ(std::tuple(answer.httpStatus, answer.contentType, answer.body), std::tuple(200, "text/html", "<p>one two</p>"))
        << "a chunked answer";
    const auto requests = server.pageRequests();
    ASSERT_EQ(requests.size(), 5u);
    EXPECT_EQ(requests[0].target(), "/set");
    EXPECT_EQ(requests[1].target(), "/%65cho?q=caf%E9&x=%41");
    for (const std::string name : {"User-Agent", "Accept", "Accept-Language", "Accept-Encoding", "Host"})
        EXPECT_EQ(requests[1].header(name), requests[0].header(name)) << name << ": the same with or without a kept escape";
    EXPECT_EQ(requests[1].header("Cookie"), "first=1");
    EXPECT_EQ(requests[1].header("Referer"), server.url("/from").toStdString());
    EXPECT_EQ(requests[2].method, "POST");
    EXPECT_EQ(requests[2].target(), "/%65cho?q=caf%E9&x=%41");
    EXPECT_EQ(requests[2].body, "n=v");
    EXPECT_EQ(requests[2].header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(requests[2].header("Cookie"), "first=1; second=2") << "the answer's cookie is kept";
    EXPECT_EQ(requests[3].target(), "/moved?x=%41");
    EXPECT_EQ(requests[4].target(), "/set?y=%42") << "a redirect's Location goes out as written";
}

TEST(PageLoader, FollowsRedirectsAsBrowsersDo)
{
    TestServer server;
    server.handle("POST", "/post303", [](const httplib::Request &, httplib::Response &response) {
        response.set_redirect("/landing", 303);
    });
    server.handle("POST", "/post302", [](const httplib::Request &, httplib::Response &response) {
        response.set_redirect("landing?from=302", 302);
    });
    std::string body307;
    server.handle("POST", "/post307", [](const httplib::Request &, httplib::Response &response) {
        response.set_redirect("/keep", 307);
    });
    server.handle("POST", "/keep", [&](const httplib::Request &request, httplib::Response &response) {
        body307 = request.body;
        response.set_content("kept", "text/html");
    });
    server.handle("GET", "/chain", [](const httplib::Request &, httplib::Response &response) {
        response.set_redirect("/hop", 301);
    });
    server.handle("GET", "/hop", [](const httplib::Request &, httplib::Response &response) {
        response.set_redirect("/landing", 303);
    });
    server.page("/landing", "landed");

    const struct {
        std::string path;
        QByteArray method;
        std::string finalTarget;
        QByteArray finalMethod;
        QByteArray body;
    } cases[] = {
        {"/post303", "POST", "/landing", "GET", "landed"},
        {"/post302", "POST", "/landing?from=302", "GET", "landed"},
        {"/post307", "POST", "/keep", "POST", "kept"},
    };
    for (const auto &c : cases) {
        server.clearRequests();
        NavigationRequest request;
        request.url = QUrl(server.url(c.path));
        request.method = c.method;
        request.body = "a=1";
        request.contentType = "application/x-www-form-urlencoded";
        const LoadedResponse response = load(request);
        EXPECT_EQ(response.body, c.body) << c.path;
        EXPECT_EQ(response.request.method, c.finalMethod) << c.path;
        EXPECT_EQ(response.request.url, QUrl(server.url(c.finalTarget))) << c.path;
        const auto requests = server.pageRequests();
        ASSERT_EQ(requests.size(), 2u) << c.path;
        EXPECT_EQ(requests[1].target(), c.finalTarget);
        EXPECT_EQ(requests[1].method, std::string(c.finalMethod.constData()));
        if (c.finalMethod == "GET") {
            EXPECT_EQ(requests[1].header("Content-Type"), "") << c.path;
        }
    }
    EXPECT_EQ(body307, "a=1");

    server.clearRequests();
    const LoadedResponse chained = load(server.url("/chain"));
    EXPECT_EQ(chained.body, "landed");
    EXPECT_EQ(server.pageRequests().size(), 3u);
}

TEST(PageLoader, ARedirectLoopEndsAfterTheBound)
{
    TestServer server;
    server.handle("GET", "/loop", [](const httplib::Request &, httplib::Response &response) {
        response.set_redirect("/loop", 302);
    });

    const LoadedResponse response = load(server.url("/loop"));

    EXPECT_EQ(failureKind(response), LoadFailureKind::TooManyRedirects);
    EXPECT_EQ(server.pageRequests().size(), static_cast<size_t>(MaxRedirects + 1));
}

TEST(PageLoader, RedirectsToLocalFilesAndOtherSchemesAreRefused)
{
    TestServer server;
    int route = 0;
    for (const char *location : {"file:///etc/passwd", "data:text/html,x", "qrc:/x", "ftp://example.com/"}) {
        const std::string path = "/away" + std::to_string(++route);
        server.handle("GET", path, [location](const httplib::Request &, httplib::Response &response) {
            response.set_redirect(location, 302);
        });
        const LoadedResponse response = load(server.url(path));
        EXPECT_EQ(failureKind(response), LoadFailureKind::RedirectRefused) << location;
        EXPECT_TRUE(response.body.isEmpty()) << location;
    }
}

TEST(PageLoader, ErrorStatusesAreDocumentsWithTheirBody)
{
    TestServer server;
    for (int status : {404, 500, 403, 401}) {
        const std::string path = "/status" + std::to_string(status);
        server.handle("GET", path, [status](const httplib::Request &, httplib::Response &response) {
            response.status = status;
            response.set_content("<h1>status page</h1>", "text/html");
        });
        const LoadedResponse response = load(server.url(path));
        EXPECT_FALSE(response.failure) << status;
        EXPECT_EQ(response.httpStatus, status);
        EXPECT_EQ(response.body, "<h1>status page</h1>") << status;
    }
    server.handle("GET", "/empty", [](const httplib::Request &, httplib::Response &response) { response.status = 204; });
    EXPECT_TRUE(load(server.url("/empty")).keepsDocument);
}

TEST(PageLoader, ConnectionFailuresAreReportedByKind)
{
    TestServer server;
    QTcpServer closedPort;
    closedPort.listen(QHostAddress::LocalHost);
    const quint16 unusedPort = closedPort.serverPort();
    closedPort.close();
    RawServer silent({}, RawServer::Close::Never);
    RawServer garbage("\x01\x02 not http at all\r\n\r\n");
    RawServer trickle("HTTP/1.1 200 OK\r\n");
    trickle.repeatAfterAnswer("X-Trickle: one line at a time\r\n", 100ms);
    LoadLimits quick;
    quick.transferTimeout = 500ms;

    const struct {
        QString url;
        LoadFailureKind expected;
    } cases[] = {
        {QStringLiteral("http://127.0.0.1:%1/").arg(unusedPort), LoadFailureKind::ConnectionRefused},
        {QStringLiteral("https://127.0.0.1:%1/").arg(server.port()), LoadFailureKind::SecureConnectionFailed},
        {silent.url(), LoadFailureKind::Timeout},
        {QStringLiteral("https://127.0.0.1:%1/").arg(silent.port()), LoadFailureKind::Timeout},
        {garbage.url(), LoadFailureKind::ConnectionClosed},
        {trickle.url(), LoadFailureKind::Timeout},
        {QStringLiteral("http://nonexistent.invalid/"), LoadFailureKind::HostNotFound},
        {QStringLiteral("ftp://127.0.0.1/"), LoadFailureKind::UnsupportedAddress},
        {QStringLiteral("http:///nohost"), LoadFailureKind::InvalidAddress},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(failureKind(load(c.url, quick)), c.expected) << c.url.toStdString();
        EXPECT_EQ(failureKind(load(keepingAnEscape(c.url), quick)), c.expected) << "kept escape " << c.url.toStdString();
    }
}

// A page's connection serves the next request to its server; one the server closed while it was
// kept is replaced and the request, a form's too, goes again; answers that end their connection
// leave nothing to keep.
TEST(PageLoader, ConnectionsAreKeptForTheNextRequestAndReplacedWhenTheServerClosedThem)
{
    const QByteArray page = "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\npage";
    const auto request = [](const QString &url) {
        NavigationRequest get;
        get.url = QUrl(url);
        return get;
    };
    NetworkAccess network;
    RawServer keeping(page, RawServer::Close::Never);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(load(network, request(keeping.url())).body, "page");
    EXPECT_EQ(keeping.connections(), 1);
    EXPECT_EQ(keeping.received().count("Connection: keep-alive\r\n"), 3);

    RawServer closing(page, RawServer::Close::OnSecondRequest);
    NavigationRequest form = request(closing.url());
    form.method = "POST";
    form.body = "a=1";
    EXPECT_EQ(load(network, request(closing.url())).body, "page");
    EXPECT_EQ(load(network, form).body, "page");
    EXPECT_EQ(closing.connections(), 2);
    EXPECT_EQ(closing.received().count("POST / HTTP/1.1\r\n"), 2);

    for (const QByteArray &ending : {QByteArray("HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 4\r\n\r\npage"),
                                     QByteArray("HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\npage")}) {
        RawServer server(ending, RawServer::Close::Never);
        EXPECT_EQ(load(network, request(server.url())).body, "page");
        EXPECT_EQ(load(network, request(server.url())).body, "page");
        EXPECT_EQ(server.connections(), 2) << ending.toStdString();
    }
}

// A kept connection serves the next request only when the answer before it ended where it said:
// bytes sent unasked after it, a doubtful length or a protocol switch leave it closed.
TEST(PageLoader, AConnectionInDoubtIsNeverHandedToTheNextRequest)
{
    const auto request = [](const QString &url) {
        NavigationRequest get;
        get.url = QUrl(url);
        return get;
    };
    NetworkAccess network;
    RawServer stray("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\npage", RawServer::Close::Never);
    stray.repeatAfterAnswer("HTTP/1.1 200 OK\r\nContent-Type: text/css\r\nContent-Length: 5\r\n\r\nstray", 20ms);
    EXPECT_EQ(load(network, request(stray.url())).body, "page");
    QTest::qWait(100);
    EXPECT_EQ(load(network, request(stray.url())).body, "page");
    EXPECT_EQ(stray.connections(), 2) << "the unread answer went with its connection";

    RawServer twice("HTTP/1.1 200 OK\r\nContent-Length: 4\r\nContent-Length: 4\r\n\r\npage", RawServer::Close::Never);
    EXPECT_EQ(load(network, request(twice.url())).body, "page");
    EXPECT_EQ(load(network, request(twice.url())).body, "page");
    EXPECT_EQ(twice.connections(), 2);

    RawServer conflicting("HTTP/1.1 200 OK\r\nContent-Length: 4\r\nContent-Length: 40\r\n\r\npage", RawServer::Close::Never);
    EXPECT_EQ(failureKind(load(network, request(conflicting.url()))), LoadFailureKind::InvalidResponse);

    RawServer switching("HTTP/1.1 101 Switching Protocols\r\nUpgrade: other\r\nConnection: Upgrade\r\n\r\npage",
                        RawServer::Close::Never);
    EXPECT_EQ(failureKind(load(network, request(switching.url()))), LoadFailureKind::InvalidResponse);
    EXPECT_EQ(failureKind(load(network, request(switching.url()))), LoadFailureKind::InvalidResponse);
    EXPECT_EQ(switching.connections(), 2);
}

// Every line of an answer counts as it arrives, wherever it stands: lines without a colon,
// interim answers, trailers, chunk sizes and chunk ends. Past a bound the load ends at once.
TEST(PageLoader, EveryLineOfAnAnswerIsBounded)
{
    const QByteArray chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    const struct {
        const char *what;
        QByteArray answer;
        QByteArray endless;
        LoadFailureKind expected;
    } cases[] = {
        {"lines without a colon", "HTTP/1.1 200 OK\r\nX-Fine: 1\r\n", "no colon here\r\n", LoadFailureKind::InvalidResponse},
        {"one endless line", "HTTP/1.1 200 OK\r\nX-Long: ", "aaaaaaaaaaaaaaaa", LoadFailureKind::HeadersTooLarge},
        {"interim answers", "HTTP/1.1 100 Continue\r\n\r\n", "HTTP/1.1 100 Continue\r\n\r\n", LoadFailureKind::HeadersTooLarge},
        {"trailers", chunked + "4\r\npage\r\n0\r\n", "X-Trailer: more\r\n", LoadFailureKind::HeadersTooLarge},
        {"a chunk size", chunked, "1111111111111111", LoadFailureKind::InvalidResponse},
        {"a chunk end", chunked + "4\r\npage", "xxxxxxxxxxxxxxxx", LoadFailureKind::InvalidResponse},
    };
    for (const auto &c : cases) {
        RawServer server(c.answer, RawServer::Close::Never);
        server.repeatAfterAnswer(c.endless);
        NavigationRequest request;
        request.url = QUrl(server.url());
        const LoadedResponse response = load(request);
        EXPECT_EQ(failureKind(response), c.expected) << c.what << ": " << response.failure.value_or(LoadFailure{}).detail.toStdString();
        EXPECT_TRUE(response.body.isEmpty()) << c.what;
    }
}

// A connection kept for the next request is closed once it has waited the client's idle time.
TEST(PageLoader, AnIdleKeptConnectionIsClosed)
{
    RawServer server("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\npage", RawServer::Close::Never);
    NetworkAccess network(300ms);
    NavigationRequest request;
    request.url = QUrl(server.url());
    EXPECT_EQ(load(network, request).body, "page");
    EXPECT_EQ(load(network, request).body, "page");
    EXPECT_EQ(server.connections(), 1) << "kept while in use";
    EXPECT_TRUE(waitUntil([&] { return server.disconnections() == 1; }, 5000)) << "closed when idle";
    EXPECT_EQ(load(network, request).body, "page");
    EXPECT_EQ(server.connections(), 2);
}

// The credentials an address carries answer the server's challenge.
TEST(PageLoader, CredentialsInTheAddressAnswerTheServersChallenge)
{
    TestServer server;
    server.handle("GET", "/private", [](const httplib::Request &request, httplib::Response &response) {
        if (request.get_header_value("Authorization") == "Basic dXNlcjpwYXNz") {
            response.set_content("inside", "text/plain");
            return;
        }
        response.status = 401;
        response.set_header("WWW-Authenticate", "Basic realm=\"test\"");
    });
    QUrl address(server.url("/private"));
    EXPECT_EQ(load(address.toString()).httpStatus, 401);
    address.setUserInfo(QStringLiteral("user:pass"));
    const LoadedResponse answer = load(address.toString());
    EXPECT_EQ(answer.httpStatus, 200);
    EXPECT_EQ(answer.body, "inside");
}

// A cookie is sent back only as a browser sends it: never with a control character, a nameless
// one as its value alone, none past its size bound.
TEST(PageLoader, CookiesAreKeptAndSentBackOnlyAsBrowsersKeepThem)
{
    const QByteArray big = "big=" + QByteArray(CookieJar::MaxCookieBytes, 'b');
    RawServer server("HTTP/1.1 200 OK\r\nSet-Cookie: plain=1\r\nSet-Cookie: cr=a\rb\r\n"
                     "Set-Cookie: bare\r\nSet-Cookie: =\r\n"
                     "Set-Cookie: tab=a\tb\r\nSet-Cookie: " + big + "\r\nContent-Length: 2\r\n\r\nok",
                     RawServer::Close::Never);
    NetworkAccess network;
    NavigationRequest request;
    request.url = QUrl(server.url());
    EXPECT_EQ(load(network, request).body, "ok");
    EXPECT_EQ(load(network, request).body, "ok");

    const QList<QByteArray> sent = server.received().split('\n');
    const auto cookie = std::find_if(sent.begin(), sent.end(), [](const QByteArray &line) { return line.startsWith("Cookie:"); });
    ASSERT_NE(cookie, sent.end());
    EXPECT_EQ(*cookie, "Cookie: plain=1; bare; tab=a\tb\r");

    // A NUL in a header field makes the whole answer a malformed one.
    RawServer nul("HTTP/1.1 200 OK\r\nSet-Cookie: nul=a" + QByteArray(1, '\0') + "b\r\nContent-Length: 2\r\n\r\nok");
    request.url = QUrl(nul.url());
    EXPECT_EQ(failureKind(load(network, request)), LoadFailureKind::InvalidResponse);
    EXPECT_EQ(network.cookies().headerFor(request.url), "plain=1; bare; tab=a\tb");
}

TEST(CookieJar, KeepsTheBoundsOfBrowsersDroppingTheLeastRecentlyUsed)
{
    CookieJar jar;
    const auto host = [](int n) { return QUrl(QStringLiteral("http://host%1.test/").arg(n)); };
    const auto cookieOf = [](int n, qsizetype size = 10) {
        return "c" + QByteArray::number(n) + '=' + QByteArray(size, 'v');
    };
    for (int i = 0; i < CookieJar::MaxPerHost; ++i)
        jar.store(cookieOf(i), host(0));
    jar.store(cookieOf(0), host(0)); // set again: the most recently used
    for (int i = CookieJar::MaxPerHost; i < CookieJar::MaxPerHost + 10; ++i)
        jar.store(cookieOf(i), host(0));
    const QByteArray header = jar.headerFor(host(0));
    EXPECT_EQ(header.count(';') + 1, CookieJar::MaxPerHost);
    EXPECT_TRUE(header.contains("c0=")) << "recently sent, so kept";
    EXPECT_FALSE(header.contains("c1=")) << "the least recently used goes first";
    EXPECT_TRUE(header.contains("c189="));

    for (int h = 1; h < 20; ++h) {
        for (int i = 0; i < 160; ++i)
            jar.store(cookieOf(i), host(h));
    }
    const auto count = [&](int h) {
        const QByteArray cookies = jar.headerFor(host(h));
        return cookies.isEmpty() ? 0 : cookies.count(';') + 1;
    };
    EXPECT_EQ(count(0), 0) << "the least recently used host's went first";
    EXPECT_EQ(count(1), 120);
    EXPECT_EQ(count(19), 160);
    int kept = 0;
    for (int h = 0; h < 20; ++h)
        kept += count(h);
    EXPECT_EQ(kept, CookieJar::MaxCookies);

    CookieJar sizes;
    const qsizetype largest = CookieJar::MaxCookieBytes - 3;
    sizes.store(cookieOf(1, largest), host(0));
    sizes.store(cookieOf(2, largest + 1), host(0));
    EXPECT_EQ(sizes.headerFor(host(0)).size(), CookieJar::MaxCookieBytes) << "c1 only";
    for (int i = 3; i < 10; ++i)
        sizes.store(cookieOf(i, largest), host(0));
    const QByteArray bounded = sizes.headerFor(host(0));
    EXPECT_LE(bounded.size(), CookieJar::MaxHeaderBytes);
    EXPECT_GE(bounded.size(), CookieJar::MaxHeaderBytes - CookieJar::MaxCookieBytes);
}

// A server that sets ninety large cookies leaves each later request within the bound.
TEST(PageLoader, ACookieFloodKeepsRequestsWithinTheBound)
{
    QByteArray answer = "HTTP/1.1 200 OK\r\n";
    for (int i = 0; i < 90; ++i)
        answer += "Set-Cookie: n" + QByteArray::number(i) + '=' + QByteArray(550, 'v') + "\r\n";
    RawServer server(answer + "Content-Length: 7\r\n\r\nflooded", RawServer::Close::Never);
    NetworkAccess network;
    NavigationRequest request;
    request.url = QUrl(server.url());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(load(network, request).body, "flooded");

    const QList<QByteArray> sent = server.received().split('\n');
    const auto cookies = std::count_if(sent.begin(), sent.end(), [](const QByteArray &line) {
        EXPECT_LE(line.size(), CookieJar::MaxHeaderBytes + 10);
        return line.startsWith("Cookie: n0=");
    });
    EXPECT_EQ(cookies, 2);
}

TEST(PageLoader, CertificatesAreVerified)
{
    const QString here = QFileInfo(QString::fromUtf8(__FILE__)).absolutePath();
    QFile keyFile(here + "/selfsigned-key.pem");
    ASSERT_TRUE(keyFile.open(QIODevice::ReadOnly));
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(QSslCertificate::fromPath(here + "/selfsigned-cert.pem").value(0));
    tls.setPrivateKey(QSslKey(&keyFile, QSsl::Rsa));
    QSslServer server;
    server.setSslConfiguration(tls);
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));

    const QString url = QStringLiteral("https://127.0.0.1:%1/").arg(server.serverPort());
    for (const LoadedResponse &response : {load(url), load(keepingAnEscape(url))}) {
        EXPECT_EQ(failureKind(response), LoadFailureKind::SecureConnectionFailed);
        ASSERT_TRUE(response.failure);
        EXPECT_TRUE(response.failure->detail.contains("self-signed", Qt::CaseInsensitive))
            << response.failure->detail.toStdString();
    }
}

TEST(PageLoader, CutAndBrokenBodiesNeitherCrashNorHang)
{
    RawServer closedMidBody("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 1000\r\n\r\n<p>part");
    RawServer headersOnly("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n");
    for (const bool keptEscape : {false, true}) {
        const auto request = [keptEscape](const QString &url) {
            NavigationRequest plain;
            plain.url = QUrl(url);
            return keptEscape ? keepingAnEscape(url) : plain;
        };
        const LoadedResponse partial = load(request(closedMidBody.url()));
        EXPECT_FALSE(partial.failure) << "what arrived is shown";
        EXPECT_EQ(partial.body, "<p>part");
        EXPECT_TRUE(load(request(headersOnly.url())).failure.has_value());
    }

    const QByteArray binary("\x89PNG\0\0\xff\xfe<html>\0", 14);
    RawServer nulBody("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 14\r\n\r\n" + binary);
    EXPECT_EQ(load(nulBody.url()).body, binary);

    RawServer badHeaders("HTTP/1.1 200 OK\r\nContent-Length: -5\r\nContent-Type:\r\n\r\nbody");
    load(badHeaders.url());
}

TEST(PageLoader, BodiesPastTheBoundAreRefused)
{
    TestServer server;
    server.page("/big", std::string(50 * 1024 * 1024, 'x'), "application/octet-stream");
    EXPECT_EQ(failureKind(load(server.url("/big"))), LoadFailureKind::TooLarge);

    // A redirect with an oversized body still sends the browser on.
    server.handle("GET", "/heavy-redirect", [](const httplib::Request &, httplib::Response &answer) {
        answer.status = 302;
        answer.set_header("Location", "/small");
        answer.set_content(std::string(100000, 'r'), "text/html");
    });
    server.page("/small", "small");
    LoadLimits narrow;
    narrow.maxBodyBytes = 1000;
    EXPECT_EQ(load(server.url("/heavy-redirect"), narrow).body, "small");
    server.page("/exact", std::string(1000, 'e'));
    EXPECT_EQ(load(server.url("/exact"), narrow).body.size(), 1000);
}

TEST(PageLoader, CompressedBodiesAreDecodedWithinTheBound)
{
    TestServer server;
    const auto serve = [&](const std::string &path, const std::string &encoding, std::string body) {
        server.handle("GET", path, [encoding, body = std::move(body)](const httplib::Request &, httplib::Response &response) {
            response.set_header("Content-Encoding", encoding);
            response.set_content(body, "text/html");
        });
    };
    // Bombs: many times the bound in a few kilobytes.
    LoadLimits narrow;
    narrow.maxBodyBytes = 1024 * 1024;
    for (const std::string encoding : {"gzip", "br"}) {
        serve("/bomb-" + encoding, encoding, compressedZeros(encoding, 16u * 1024 * 1024));
        EXPECT_EQ(failureKind(load(server.url("/bomb-" + encoding), narrow)), LoadFailureKind::TooLarge) << encoding;
    }

    // "deflate" comes in zlib's format or, from some servers, as raw deflate.
    const QByteArray text = "<p>deflated</p>";
    const QByteArray zlib = qCompress(text).mid(4);
    serve("/zlib", "deflate", zlib.toStdString());
    serve("/raw", "deflate", zlib.mid(2).chopped(4).toStdString());
    serve("/broken", "gzip", "not gzip at all");
    EXPECT_EQ(load(server.url("/zlib")).body, text);
    EXPECT_EQ(load(server.url("/raw")).body, text);
    EXPECT_EQ(failureKind(load(server.url("/broken"))), LoadFailureKind::InvalidResponse);

    // Encodings one over the other are undone in turn, each within the bound.
    serve("/twice", "gzip, gzip", compressed("gzip", compressed("gzip", "<p>twice</p>")));
    serve("/twice-bomb", "gzip, br", compressed("br", compressedZeros("gzip", 16u * 1024 * 1024)));
    EXPECT_EQ(load(server.url("/twice")).body, "<p>twice</p>");
    EXPECT_EQ(failureKind(load(server.url("/twice-bomb"), narrow)), LoadFailureKind::TooLarge);

    // Within the bound, however well it compresses.
    constexpr qsizetype size = 12 * 1024 * 1024;
    serve("/page", "gzip", compressedZeros("gzip", size));
    const LoadedResponse response = load(server.url("/page"));
    EXPECT_FALSE(response.failure);
    EXPECT_EQ(response.body.count('\0'), size);
    EXPECT_EQ(response.body.size(), size);
}

TEST(PageLoader, LocalAddressesLoadWithoutANetwork)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("page.html")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<title>local</title>");
    file.close();

    const LoadedResponse local = load(QUrl::fromLocalFile(file.fileName()).toString());
    EXPECT_FALSE(local.failure);
    EXPECT_EQ(local.body, "<title>local</title>");

    EXPECT_EQ(failureKind(load(QUrl::fromLocalFile(dir.filePath("missing.html")).toString())),
              LoadFailureKind::FileNotFound);
    LoadLimits narrow;
    narrow.maxBodyBytes = 10;
    const LoadedResponse tooLarge = load(QUrl::fromLocalFile(file.fileName()).toString(), narrow);
    EXPECT_EQ(failureKind(tooLarge), LoadFailureKind::TooLarge);
    EXPECT_EQ(tooLarge.failure.value_or(LoadFailure{}).detail, "10");

    // What is not a regular file is refused without being read: none of these may hang.
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    for (const QString &path : {dir.path(), fifo, QStringLiteral("/dev/zero")}) {
        const LoadedResponse response = load(QUrl::fromLocalFile(path).toString());
        EXPECT_EQ(failureKind(response), LoadFailureKind::FileUnreadable) << path.toStdString();
        EXPECT_TRUE(response.body.isEmpty());
    }

    const LoadedResponse data = load(QStringLiteral("data:text/html;charset=utf-8,%3Cb%3Ehi%3C/b%3E"));
    EXPECT_EQ(data.body, "<b>hi</b>");
    EXPECT_EQ(data.contentType, "text/html;charset=utf-8");

    const LoadedResponse blank = load(QStringLiteral("about:blank"));
    EXPECT_FALSE(blank.failure);
    EXPECT_TRUE(blank.body.isEmpty());
    EXPECT_EQ(blank.contentType, "text/html");

    EXPECT_TRUE(load(QStringLiteral("javascript:void(0)")).keepsDocument);
}

} // namespace
