// A page whose layout runs away never holds up the window that shows it: the layout goes on away
// from the window's thread, is given up after its bound, and the page is shown as plain text.
#include "QtWait.h"
#include "TestServer.h"

#include "browser/builtin/BuiltinBrowser.h"
#include "browser/builtin/BuiltinWindow.h"
#include "browser/builtin/view/PageView.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

std::string repeated(const std::string &part, int times)
{
    std::string whole;
    for (int i = 0; i < times; ++i)
        whole += part;
    return whole;
}

// The longest time the event loop went without running a 10 ms timer, while it watches.
class LoopWatch {
public:
    LoopWatch()
    {
        m_clock.start();
        m_ticks.setInterval(10);
        QObject::connect(&m_ticks, &QTimer::timeout, [this] {
            m_longestGap = std::max(m_longestGap, m_clock.restart());
        });
        m_ticks.start();
    }
    [[nodiscard]] qint64 longestGap() const { return m_longestGap; }

private:
    QElapsedTimer m_clock;
    QTimer m_ticks;
    qint64 m_longestGap = 0;
};

TEST(PageViewBounds, APageTooSlowToLayOutIsShownAsPlainTextWhileTheWindowAnswers)
{
    TestServer server;
    server.page("/tables", "<html><body>" + repeated("<table><tr><td>cell", 22) + "deepest words"
                               + repeated("</td></tr></table>", 22) + "</body></html>");
    server.page("/plain", "<html><body><p id=words>quick page</p></body></html>");
    BuiltinBrowser browser;
    const auto window = browser.openWindow();
    window->navigate(server.url("/tables"));
    ASSERT_TRUE(waitUntil([&] { return window->document() && !window->isBusy(); }));

    PageView view(browser.network(), browser.limits());
    view.resize(800, 600);
    view.show();
    QImage before(view.viewport()->size(), QImage::Format_RGB32);
    const LoopWatch watch;
    view.showDocument(window->document(), QUrl(server.url("/tables")));
    ASSERT_TRUE(waitUntil([&] { return view.isSettled(); }, PageView::MaxLayoutTime + 10000));
    EXPECT_TRUE(view.shownAsPlainText());
    EXPECT_LT(watch.longestGap(), 1000) << "milliseconds the window did not answer";
    QImage shown(view.viewport()->size(), QImage::Format_RGB32);
    shown.fill(Qt::white);
    view.viewport()->render(&shown);
    int ink = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            ink += shown.pixel(x, y) != qRgb(255, 255, 255);
    EXPECT_GT(ink, 500) << "the note and the page's text are drawn";

    // The next page is laid out as usual, the runaway layout long cancelled.
    window->navigate(server.url("/plain"));
    ASSERT_TRUE(waitUntil([&] { return !window->isBusy(); }));
    view.showDocument(window->document(), QUrl(server.url("/plain")));
    view.refreshNow();
    EXPECT_FALSE(view.shownAsPlainText());
    EXPECT_TRUE(view.isLaidOut());
}

} // namespace
