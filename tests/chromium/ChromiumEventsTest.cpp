#include "ChromiumFixture.h"

#include "engine/ScriptError.h"
#include "page/Document.h"

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

    window->Navigate(m_server->url("/frames"));
    // As in the browser this replaces, the navigation has started when Navigate returns.
    EXPECT_EQ(m_sink.events, QStringList{QStringLiteral("BeforeNavigate2 ") + m_server->url("/frames")});
    ASSERT_TRUE(waitForEvent(QStringLiteral("DocumentComplete ") + m_server->url("/frames")));

    const QStringList expected{
        QStringLiteral("BeforeNavigate2 ") + m_server->url("/frames"),
        QStringLiteral("BeforeNavigate2 ") + m_server->url("/inner"),
        QStringLiteral("DocumentComplete ") + m_server->url("/inner"),
        QStringLiteral("DocumentComplete ") + m_server->url("/frames"),
    };
    EXPECT_EQ(m_sink.events, expected);
    EXPECT_FALSE(window->Busy());
    EXPECT_EQ(window->LocationURL(), m_server->url("/frames"));
    EXPECT_EQ(window->Name(), QStringLiteral("Chromium"));
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
        QStringLiteral("BeforeNavigate2 ") + m_server->url("/cross"),
        QStringLiteral("BeforeNavigate2 ") + crossSiteUrl,
        QStringLiteral("DocumentComplete ") + crossSiteUrl,
        QStringLiteral("DocumentComplete ") + m_server->url("/cross"),
    };
    EXPECT_EQ(m_sink.events, expected);
}

TEST_F(ChromiumFixture, FrameNavigatingOnItsOwnReportsTheFramesEvents)
{
    m_server->page("/frames", kFramesPage);
    m_server->page("/inner", "<html><body>inner<script>setTimeout(() => location = '/deeper', 200)</script></body></html>");
    m_server->page("/deeper", "<html><body>deeper</body></html>");
    const auto window = firstWindow();
    ASSERT_TRUE(window);
    load(*window, m_server->url("/frames"));
    m_sink.events.clear();

    ASSERT_TRUE(waitForEvent(QStringLiteral("DocumentComplete ") + m_server->url("/deeper")));

    const QStringList expected{
        QStringLiteral("BeforeNavigate2 ") + m_server->url("/deeper"),
        QStringLiteral("DocumentComplete ") + m_server->url("/deeper"),
    };
    EXPECT_EQ(m_sink.events, expected);
    EXPECT_FALSE(window->Busy());
    EXPECT_EQ(window->LocationURL(), m_server->url("/frames"));
}
