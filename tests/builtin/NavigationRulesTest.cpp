#include "EngineDoubles.h"
#include "QtPrinters.h"
#include "browser/builtin/dom/UrlParsing.h"
#include "browser/builtin/net/NavigationAddress.h"
#include "browser/builtin/NavigationHistory.h"
#include "browser/builtin/net/Redirects.h"
#include "browser/builtin/net/RequestHeaders.h"

#include <gtest/gtest.h>

namespace {

using dom::writtenUrl;

TEST(NavigationAddress, TypedTextBecomesTheAddressABrowserWouldOpen)
{
    const struct {
        QString typed;
        QString expected;
        QByteArray wireTarget = {};
    } cases[] = {
        {"example.com/x", "http://example.com/x"},
        {"  example.com  ", "http://example.com/"},
        {"127.0.0.1:8080/a?b=c", "http://127.0.0.1:8080/a?b=c"},
        {"localhost:8080", "http://localhost:8080/"},
        {"http://Example.COM:80/a/../b", "http://example.com/b"},
        {"https://example.com:443", "https://example.com/"},
        {"https://example.com:8443/x#top", "https://example.com:8443/x#top"},
        {"/tmp/page.html", "file:///tmp/page.html"},
        {"about:blank", "about:blank"},
        {"data:text/html,hi", "data:text/html,hi"},
        {"http://0x7f.1:8080/%2e/p%61th/./x?q=%41", "http://127.0.0.1:8080/p%61th/x?q=%41", "/p%61th/x?q=%41"},
        {"http://example.com:99999/", ""},
        {"http://192.168.0.257/", ""},
        {"", ""},
    };
    for (const auto &c : cases) {
        const NavigationRequest request = typedNavigation(c.typed);
        EXPECT_EQ(writtenUrl(request.url, request.wireTarget), c.expected) << c.typed.toStdString();
        EXPECT_EQ(request.wireTarget, c.wireTarget) << c.typed.toStdString();
    }
}

TEST(NavigationAddress, KindsOfAddress)
{
    const struct {
        QString url;
        AddressKind expected;
    } cases[] = {
        {"http://example.com/", AddressKind::Network},
        {"https://example.com/", AddressKind::Network},
        {"http:///nohost", AddressKind::Invalid},
        {"file:///tmp/x", AddressKind::File},
        {"data:,x", AddressKind::Data},
        {"about:blank", AddressKind::Blank},
        {"about:config", AddressKind::Unsupported},
        {"javascript:void(0)", AddressKind::Script},
        {"qrc:/internal", AddressKind::Unsupported},
        {"ftp://example.com/", AddressKind::Unsupported},
        {"relative/path", AddressKind::Invalid},
        {"", AddressKind::Invalid},
    };
    for (const auto &c : cases)
        EXPECT_EQ(addressKind(QUrl(c.url)), c.expected) << c.url.toStdString();
}

TEST(RequestHeaders, RefererFollowsStrictOriginWhenCrossOrigin)
{
    const QString longPath = QStringLiteral("http://a.test/") + QString(5000, QLatin1Char('p'));
    const struct {
        QString referrer;
        QString target;
        QByteArray expected;
    } cases[] = {
        {"http://a.test/page?q=1#frag", "http://a.test/next", "http://a.test/page?q=1"},
        {"http://user:pw@a.test/page", "http://a.test/next", "http://a.test/page"},
        {"http://a.test/page", "http://b.test/next", "http://a.test/"},
        {"http://a.test:8080/page", "http://a.test:8081/", "http://a.test:8080/"},
        {"https://a.test/page", "https://b.test/", "https://a.test/"},
        {"https://a.test/page", "http://a.test/page", ""},
        {"http://a.test/page", "https://a.test/x", "http://a.test/"},
        {"file:///tmp/page.html", "http://a.test/", ""},
        {"about:blank", "http://a.test/", ""},
        {"", "http://a.test/", ""},
        {longPath, "http://a.test/next", "http://a.test/"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(refererHeader(QUrl(c.referrer), QUrl(c.target)), c.expected) << c.referrer.left(60).toStdString();
}

TEST(RequestHeaders, OriginsAreSerialisedOrNull)
{
    EXPECT_EQ(serialisedOrigin(QUrl("http://a.test/x?y")), "http://a.test");
    EXPECT_EQ(serialisedOrigin(QUrl("https://a.test:8443/x")), "https://a.test:8443");
    EXPECT_EQ(serialisedOrigin(QUrl("file:///tmp/x.html")), "null");
    EXPECT_EQ(serialisedOrigin(QUrl()), "null");
}

TEST(Redirects, MethodAndBodyAfterEachStatus)
{
    const struct {
        int status;
        QByteArray method;
        QByteArray expectedMethod;
        bool keepsBody;
    } cases[] = {
        {301, "POST", "GET", false}, {302, "POST", "GET", false}, {303, "POST", "GET", false},
        {307, "POST", "POST", true}, {308, "POST", "POST", true},  {301, "GET", "GET", true},
        {303, "PUT", "GET", false},  {303, "HEAD", "HEAD", true},
    };
    for (const auto &c : cases) {
        NavigationRequest request;
        request.url = QUrl("http://a.test/form#part");
        request.method = c.method;
        request.body = "a=1";
        request.contentType = "application/x-www-form-urlencoded";
        const NavigationRequest next = redirectedRequest(request, c.status, *dom::Url::parse(u"http://a.test/done"));
        EXPECT_EQ(next.method, c.expectedMethod) << c.status << " " << c.method.constData();
        EXPECT_EQ(next.body.isEmpty(), !c.keepsBody) << c.status;
        EXPECT_EQ(next.contentType.isEmpty(), !c.keepsBody) << c.status;
        EXPECT_EQ(next.url, QUrl("http://a.test/done#part"));
    }
    NavigationRequest withFragment;
    withFragment.url = QUrl("http://a.test/#x");
    EXPECT_EQ(redirectedRequest(withFragment, 302, *dom::Url::parse(u"http://a.test/y#z")).url, QUrl("http://a.test/y#z"));
    const NavigationRequest escaped = redirectedRequest(withFragment, 302, *dom::Url::parse(u"http://a.test/%41?b=%42"));
    EXPECT_EQ(writtenUrl(escaped.url, escaped.wireTarget), "http://a.test/%41?b=%42#x");
    for (int status : {300, 304, 305, 200, 404})
        EXPECT_FALSE(isRedirectStatus(status)) << status;
}

NavigationRequest requestFor(const char *url, const QByteArray &method = "GET")
{
    NavigationRequest request;
    request.url = QUrl(url);
    request.method = method;
    request.body = method == "POST" ? "q=1" : "";
    return request;
}

TEST(NavigationHistory, BackSteppingAndForwardTruncation)
{
    NavigationHistory history;
    EXPECT_FALSE(history.backIndex());
    history.push(requestFor("http://a.test/1"), nullptr);
    EXPECT_FALSE(history.backIndex());
    history.push(requestFor("http://a.test/2", "POST"), nullptr);
    history.push(requestFor("http://a.test/3"), nullptr);
    ASSERT_EQ(history.backIndex(), 1);
    EXPECT_EQ(history.entry(1).method, "POST");
    EXPECT_TRUE(history.entry(1).body.isEmpty()) << "form bodies are not kept";

    EXPECT_FALSE(history.forwardIndex());
    history.revisit(1, requestFor("http://a.test/2b"), nullptr);
    EXPECT_EQ(history.currentIndex(), 1);
    EXPECT_EQ(history.backIndex(), 0);
    EXPECT_EQ(history.forwardIndex(), 2) << "what going back left";
    history.push(requestFor("http://a.test/4"), nullptr);
    EXPECT_EQ(history.size(), 3) << "the entry after the current one is dropped";
    EXPECT_FALSE(history.forwardIndex());
    EXPECT_EQ(history.entry(2).url, QUrl("http://a.test/4"));
}

TEST(NavigationHistory, OldestEntriesDropPastTheBound)
{
    NavigationHistory history(3);
    for (const char *url : {"http://a.test/1", "http://a.test/2", "http://a.test/3", "http://a.test/4"})
        history.push(requestFor(url), nullptr);
    EXPECT_EQ(history.size(), 3);
    EXPECT_EQ(history.entry(0).url, QUrl("http://a.test/2"));
    EXPECT_EQ(history.currentIndex(), 2);
}

TEST(NavigationHistory, OnlyTheCurrentPageAndTheFewBeforeItKeepTheirDocuments)
{
    NavigationHistory history(50, 2);
    std::vector<std::shared_ptr<Document>> documents;
    for (int page = 0; page < 5; ++page) {
        documents.push_back(std::make_shared<BodyOnlyDocument>(QString::number(page)));
        history.push(requestFor(QStringLiteral("http://a.test/%1").arg(page).toUtf8().constData()), documents.back());
    }
    history.push(requestFor("http://a.test/refused"), nullptr);
    EXPECT_EQ(history.keptDocument(5), nullptr) << "a page that may not be kept";
    EXPECT_EQ(history.keptDocument(4), documents[4]);
    EXPECT_EQ(history.keptDocument(3), documents[3]);
    EXPECT_EQ(history.keptDocument(2), nullptr) << "too far back";

    history.revisit(3, requestFor("http://a.test/3"), documents[3]);
    EXPECT_EQ(history.keptDocument(4), nullptr) << "nothing goes forward";
    EXPECT_EQ(history.keptDocument(3), documents[3]);
    history.revisit(2, requestFor("http://a.test/2"), nullptr);
    EXPECT_EQ(history.keptDocument(3), nullptr);
    EXPECT_EQ(history.keptDocument(1), nullptr) << "a document once let go is loaded again";
}

} // namespace
