#include "ChromiumFixture.h"
#include "RecordingHost.h"

#include "browser/BrowserConnection.h"
#include "engine/RunState.h"
#include "page/Document.h"

#include <chrono>
#include <thread>

namespace {

const std::string kTwoPopupsPage = R"html(<html><body>
<a id="first" href="/first" target="_blank">First</a>
<a id="second" href="/second" target="_blank">Second</a>
</body></html>)html";

// The attach code of the runner, over the Chromium backend of the fixture.
class ChromiumAttach : public ChromiumFixture {
protected:
    void SetUp() override
    {
        ChromiumFixture::SetUp();
        if (m_browser)
            m_connection = std::make_unique<BrowserConnection>(*m_browser, m_host, m_state, [] {});
    }
    void TearDown() override
    {
        m_connection.reset();
        ChromiumFixture::TearDown();
    }

    void clickById(const QString &id)
    {
        const auto link = asHtmlDocument(m_connection->window().document()).getElementById(id);
        ASSERT_TRUE(link);
        link->click();
    }

    RecordingHost m_host;
    RunState m_state;
    std::unique_ptr<BrowserConnection> m_connection;
};

} // namespace

TEST_F(ChromiumAttach, WindowStillLoadingIsWaitedForBeforeItIsAttached)
{
    m_server->handle("GET", "/slow", [](const httplib::Request &, httplib::Response &response) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        response.set_content("<html><body>SLOW PAGE</body></html>", "text/html");
    });
    const auto window = firstWindow();
    ASSERT_TRUE(window);
    window->navigate(m_server->url("/slow"));
    ASSERT_TRUE(waitUntil([&] { return window->isBusy(); }));

    m_connection->attachBrowser();

    ASSERT_TRUE(m_connection->attachedWindow());
    EXPECT_FALSE(m_connection->window().isBusy());
    EXPECT_EQ(m_connection->window().locationUrl(), m_server->url("/slow"));
    EXPECT_EQ(asHtmlDocument(m_connection->window().document()).body()->innerText(), QStringLiteral("SLOW PAGE"));
    EXPECT_TRUE(m_host.messages.empty());
}

TEST_F(ChromiumAttach, EachPopupReplacesThePreviousOne)
{
    m_server->page("/opener", kTwoPopupsPage);
    m_server->page("/first", "<html><body>first</body></html>");
    m_server->page("/second", "<html><body>second</body></html>");
    m_connection->attachBrowser();
    ASSERT_TRUE(m_connection->attachedWindow());
    m_connection->window().navigate(m_server->url("/opener"));
    ASSERT_TRUE(waitUntil([&] { return m_connection->window().locationUrl() == m_server->url("/opener") && !m_connection->window().isBusy(); }));

    clickById(QStringLiteral("first"));
    ASSERT_TRUE(waitUntil([&] { return requestsFor("GET", "/first") == 1; }));
    const auto firstPopup = m_connection->popupWindow();
    ASSERT_TRUE(firstPopup);
    ASSERT_TRUE(waitUntil([&] { return firstPopup->locationUrl() == m_server->url("/first") && !firstPopup->isBusy(); }));

    clickById(QStringLiteral("second"));
    ASSERT_TRUE(waitUntil([&] { return requestsFor("GET", "/second") == 1; }));
    const auto secondPopup = m_connection->popupWindow();
    ASSERT_TRUE(secondPopup);
    EXPECT_NE(secondPopup, firstPopup);
    EXPECT_TRUE(waitUntil([&] { return secondPopup->locationUrl() == m_server->url("/second") && !secondPopup->isBusy(); }));

    // The first popup is gone; the script's window and the newest popup remain.
    EXPECT_EQ(errorNumberOf([&] { (void)firstPopup->locationUrl(); }), RemoteUnavailable);
    EXPECT_TRUE(waitUntil([&] { return m_browser->windows().size() == 2u; }));
    EXPECT_EQ(m_connection->window().locationUrl(), m_server->url("/opener"));
}
