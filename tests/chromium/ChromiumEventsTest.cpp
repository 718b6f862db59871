#include "ChromiumFixture.h"

#include "engine/ScriptError.h"
#include "page/Document.h"

#include <atomic>
#include <memory>

namespace {

const std::string kFramesPage = R"html(<html><head><title>Frames</title></head>
<body><p>top</p><iframe src="/inner"></iframe></body></html>)html";
const std::string kInnerPage = "<html><body>inner <a id='deeper' href='/deeper'>deeper</a></body></html>";

} // namespace

TEST_F(ChromiumFixture, NavigationReportsFramesThenThePageInOrder)
{
    m_server->page("/frames", kFramesPage);
    m_server->page("/inner", kInnerPage);
    const auto window = firstWindow();
    ASSERT_TRUE(window);

    window->navigate(m_server->url("/frames"));
    // The navigation has started when Navigate returns; a quick page may have gone further
    // while the call waited for that start.
    ASSERT_FALSE(m_sink.events.isEmpty());
    EXPECT_EQ(m_sink.events.front(), QStringLiteral("navigationStarted ") + m_server->url("/frames"));
    ASSERT_TRUE(waitForEvent(QStringLiteral("documentCompleted ") + m_server->url("/frames")));

    const QStringList expected{
        QStringLiteral("navigationStarted ") + m_server->url("/frames"),
        QStringLiteral("navigationStarted ") + m_server->url("/inner"),
        QStringLiteral("documentCompleted ") + m_server->url("/inner"),
        QStringLiteral("documentCompleted ") + m_server->url("/frames"),
    };
    EXPECT_EQ(m_sink.events, expected);
    EXPECT_FALSE(window->isBusy());
    EXPECT_EQ(window->locationUrl(), m_server->url("/frames"));
    EXPECT_EQ(window->name(), QStringLiteral("Chromium"));
}

TEST_F(ChromiumFixture, FrameOfAnotherSiteIsFollowedInItsOwnProcess)
{
    // localhost and 127.0.0.1 are different sites: the frame runs in a process of its own.
    QString crossSiteUrl = m_server->url("/inner");
    crossSiteUrl.replace(QStringLiteral("127.0.0.1"), QStringLiteral("localhost"));
    m_server->page("/cross", "<html><body><iframe src='" + crossSiteUrl.toStdString() + "'></iframe></body></html>");
    m_server->page("/inner", kInnerPage);
    const auto window = firstWindow();
    ASSERT_TRUE(window);

    load(*window, m_server->url("/cross"));

    const QStringList expected{
        QStringLiteral("navigationStarted ") + m_server->url("/cross"),
        QStringLiteral("navigationStarted ") + crossSiteUrl,
        QStringLiteral("documentCompleted ") + crossSiteUrl,
        QStringLiteral("documentCompleted ") + m_server->url("/cross"),
    };
    EXPECT_EQ(m_sink.events, expected);
}

TEST_F(ChromiumFixture, FrameNavigatingOnItsOwnReportsTheFramesEvents)
{
    // The frame asks the server when to move on, so it moves only after the page has completed,
    // however slowly the page's completion reaches the test.
    const auto go = std::make_shared<std::atomic<bool>>(false);
    m_server->handle("GET", "/go", [go](const httplib::Request &, httplib::Response &response) {
        response.set_content(*go ? "go" : "wait", "text/plain");
    });
    m_server->page("/frames", kFramesPage);
    m_server->page("/inner", R"html(<html><body>inner<script>
        (async function poll() {
            const answer = await (await fetch('/go')).text();
            if (answer === 'go')
                location = '/deeper';
            else
                setTimeout(poll, 50);
        })();
        </script></body></html>)html");
    m_server->page("/deeper", "<html><body>deeper</body></html>");
    const auto window = firstWindow();
    ASSERT_TRUE(window);
    load(*window, m_server->url("/frames"));
    m_sink.events.clear();
    *go = true;

    ASSERT_TRUE(waitForEvent(QStringLiteral("documentCompleted ") + m_server->url("/deeper")));

    const QStringList expected{
        QStringLiteral("navigationStarted ") + m_server->url("/deeper"),
        QStringLiteral("documentCompleted ") + m_server->url("/deeper"),
    };
    EXPECT_EQ(m_sink.events, expected);
    EXPECT_FALSE(window->isBusy());
    EXPECT_EQ(window->locationUrl(), m_server->url("/frames"));
}
