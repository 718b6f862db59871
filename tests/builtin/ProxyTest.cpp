// The built-in engine's loads through a proxy: plain requests forwarded in absolute form, secure
// ones through a CONNECT tunnel, credentials given when the proxy asks, and hosts no_proxy lists
// reached directly.
#include "BuiltinTesting.h"
#include "ForwardProxy.h"
#include "QtPrinters.h"
#include "QtWait.h"
#include "TestServer.h"

#include "browser/builtin/net/NetworkAccess.h"
#include "browser/builtin/net/PageLoader.h"

#include <gtest/gtest.h>

namespace {

LoadedResponse load(NetworkAccess &network, const NavigationRequest &request)
{
    PageLoader loader(network, {}, request);
    bool finished = false;
    QObject::connect(&loader, &PageLoader::finished, [&] { finished = true; });
    loader.start();
    EXPECT_TRUE(waitUntil([&] { return finished; }, 60000));
    return loader.response();
}

NavigationRequest get(const QString &url, const QByteArray &wireTarget = {})
{
    NavigationRequest request;
    request.url = QUrl(url);
    request.wireTarget = wireTarget;
    return request;
}

TEST(Proxy, PlainRequestsGoThroughItAsWrittenAndListedHostsGoDirect)
{
    TestServer server;
    server.page("/page", "<p>through</p>");
    ForwardProxy proxy;
    NetworkAccess network;
    network.setProxy(*ProxySettings::single(proxy.url()));

    const LoadedResponse response = load(network, get(server.url("/page?x=%41"), "/page?x=%41"));
    EXPECT_EQ(response.body, "<p>through</p>");
    const std::string origin = server.url("").toStdString();
    EXPECT_EQ(proxy.requestLines(), std::vector<std::string>{"GET " + origin + "/page?x=%41 HTTP/1.1"});
    ASSERT_EQ(server.pageRequests().size(), 1u);
    EXPECT_EQ(server.pageRequests()[0].target(), "/page?x=%41") << "the escape as written";

    network.setProxy(*ProxySettings::single(proxy.url(), QStringLiteral("example.org, 127.0.0.1")));
    EXPECT_EQ(load(network, get(server.url("/page"))).body, "<p>through</p>");
    EXPECT_EQ(proxy.requestLines().size(), 1u) << "no_proxy's host went direct";
}

TEST(Proxy, SecureRequestsTunnelThroughIt)
{
    RawServer notTls("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nno");
    ForwardProxy proxy;
    NetworkAccess network;
    network.setProxy(*ProxySettings::single(proxy.url()));
    const QString secure = QStringLiteral("https://127.0.0.1:%1/").arg(notTls.port());

    const LoadedResponse response = load(network, get(secure));
    ASSERT_TRUE(response.failure);
    EXPECT_EQ(response.failure->kind, LoadFailureKind::SecureConnectionFailed) << "the tunnel reached a server without TLS";
    EXPECT_EQ(proxy.requestLines(), std::vector<std::string>{QStringLiteral("CONNECT 127.0.0.1:%1 HTTP/1.1").arg(notTls.port()).toStdString()});
}

TEST(Proxy, AProxyAskingForCredentialsGetsThoseOfItsAddress)
{
    TestServer server;
    server.page("/page", "<p>allowed</p>");
    ForwardProxy proxy("user", "secret");
    NetworkAccess network;

    network.setProxy(*ProxySettings::single(proxy.url()));
    EXPECT_EQ(load(network, get(server.url("/page"))).httpStatus, 407);

    network.setProxy(*ProxySettings::single(proxy.url(true)));
    const LoadedResponse response = load(network, get(server.url("/page")));
    EXPECT_EQ(response.httpStatus, 200);
    EXPECT_EQ(response.body, "<p>allowed</p>");
    EXPECT_EQ(server.pageRequests().size(), 1u);
}

TEST(Proxy, SettingsComeFromTheEnvironmentOrOneAddress)
{
    qputenv("HTTP_PROXY", "proxy.test:3128");
    qputenv("https_proxy", "socks5://user:pw@socks.test:1080");
    qputenv("NO_PROXY", ".internal.test,localhost:8080");
    const ProxySettings environment = ProxySettings::fromEnvironment();
    qunsetenv("HTTP_PROXY");
    qunsetenv("https_proxy");
    qunsetenv("NO_PROXY");
    EXPECT_EQ(environment.proxyFor(QUrl("http://example.org/")), "http://proxy.test:3128");
    EXPECT_EQ(environment.proxyFor(QUrl("https://example.org/")), "socks5://user:pw@socks.test:1080");
    EXPECT_EQ(environment.proxyFor(QUrl("http://a.internal.test/")), "");
    EXPECT_EQ(environment.proxyFor(QUrl("http://internal.test/")), "");
    EXPECT_EQ(environment.proxyFor(QUrl("http://localhost/")), "");
    EXPECT_EQ(environment.proxyFor(QUrl("http://notinternal.test/")), "http://proxy.test:3128");

    EXPECT_FALSE(ProxySettings::single(QStringLiteral("ftp://proxy.test")));
    EXPECT_FALSE(ProxySettings::single(QStringLiteral("http://")));
    EXPECT_EQ(ProxySettings::single(QStringLiteral("*"), {}), std::nullopt);
    EXPECT_EQ(ProxySettings::single(QStringLiteral("https://p.test:8443"))->proxyFor(QUrl("http://x/")), "https://p.test:8443");
}

} // namespace
