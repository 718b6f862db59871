// A page whose reading, styling, layout or painting runs away never holds up the window that shows
// it: all but the painting go on away from the window's thread, are given up after their bound,
// and the page is shown as plain text; painting paints only the window's part of the page.
// A page is laid out a few times while its resources arrive, not once for each, and what it
// loads stays within its budget.
#include "PagePictures.h"
#include "QtWait.h"
#include "TestServer.h"

#include "browser/builtin/BuiltinBrowser.h"
#include "browser/builtin/BuiltinWindow.h"
#include "browser/builtin/view/PageView.h"

#include <QElapsedTimer>
#include <QImage>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// A built-in window with a page loaded, and a view of its own to show it in.
struct LoadedPage {
    BuiltinBrowser browser;
    std::shared_ptr<BuiltinWindow> window = browser.openWindow();
    PageView view{browser.network(), browser.limits()};

    bool load(const QString &url)
    {
        window->navigate(url);
        if (!waitUntil([&] { return window->document() && !window->isBusy(); }))
            return false;
        view.resize(800, 600);
        view.show();
        view.showDocument(window->document(), QUrl(url));
        return true;
    }
};

QRgb pixelAt(PageView &view, const QPoint &point)
{
    QImage shown(view.viewport()->size(), QImage::Format_RGB32);
    view.viewport()->render(&shown);
    return shown.pixel(point);
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
    EXPECT_GT(inkIn(shown, shown.rect()), 500) << "the note and the page's text are drawn";

    // The next page is laid out as usual, the runaway layout long cancelled.
    window->navigate(server.url("/plain"));
    ASSERT_TRUE(waitUntil([&] { return !window->isBusy(); }));
    view.showDocument(window->document(), QUrl(server.url("/plain")));
    view.refreshNow();
    EXPECT_FALSE(view.shownAsPlainText());
    EXPECT_TRUE(view.isLaidOut());
}

TEST(PageViewBounds, TheWindowAnswersWhileAHostilePageIsReadStyledLaidOutAndPainted)
{
    // What the window's thread does for a page (its display serialisation, mapping the boxes to
    // the nodes, painting) takes tens of milliseconds at the view's bounds; a sanitizer build
    // takes several times that.
#ifdef NAVRELAY_SANITIZED
    constexpr qint64 kLongestGapMs = 3000;
#else
    constexpr qint64 kLongestGapMs = 1000;
#endif
    TestServer server;
    server.page("/tables", "<html><body>" + repeated("<table><tr><td>cell", 1000) + "deep"
                               + repeated("</td></tr></table>", 1000) + "</body></html>");
    server.page("/floats", "<html><body>"
                               + repeated("<div style=\"float:left;width:3px;height:7px\">a</div>"
                                          "<div style=\"float:right;width:5px;height:3px\">b</div>",
                                          50'000)
                               + "</body></html>");
    // Every element is matched against every rule: the styles alone take seconds.
    std::string rules;
    for (int i = 0; i < 3000; ++i)
        rules += "body div > p.c" + std::to_string(i) + " em, div p:first-child span.c" + std::to_string(i) + " { color: red }\n";
    server.page("/rules.css", rules, "text/css");
    server.page("/rules", "<html><head><link rel=stylesheet href=/rules.css></head><body>"
                              + repeated("<div><p class=c1>text <em>x</em> <span>y</span></p></div>", 8000) + "</body></html>");
    BuiltinBrowser browser;
    const auto window = browser.openWindow();
    PageView view(browser.network(), browser.limits());
    view.resize(800, 600);
    view.show();
    for (const char *path : {"/tables", "/floats", "/rules"}) {
        window->navigate(server.url(path));
        ASSERT_TRUE(waitUntil([&] { return window->document() && !window->isBusy(); }, 30000)) << path;
        const LoopWatch watch;
        view.showDocument(window->document(), QUrl(server.url(path)));
        ASSERT_TRUE(waitUntil([&] { return view.isSettled(); }, PageView::MaxLayoutTime + 10000)) << path;
        // Painting paints what is in the window, wherever on the page that is.
        for (const int scrolled : {view.verticalScrollBar()->maximum() / 2, view.verticalScrollBar()->maximum()}) {
            view.verticalScrollBar()->setValue(scrolled);
            QImage shown(view.viewport()->size(), QImage::Format_RGB32);
            view.viewport()->render(&shown);
            spinEvents(30);
        }
        EXPECT_LT(watch.longestGap(), kLongestGapMs) << path << ": milliseconds the window did not answer";
    }
}

TEST(PageViewBounds, APageIsLaidOutOnceItsStyleSheetsAreInAndAFewTimesMoreAtMost)
{
    TestServer server;
    server.page("/first.css", "body { margin: 0 } #box { width: 200px; height: 100px; background-color: rgb(255, 0, 0) }",
                "text/css");
    server.page("/second.css", "#box { border-top: 10px solid rgb(0, 0, 255) }", "text/css");
    std::string images;
    for (int i = 0; i < 12; ++i) {
        server.page("/image" + std::to_string(i) + ".png", pngOf(QColor(0, 150, 0), QSize(20 + i, 20)), "image/png");
        images += "<img src=/image" + std::to_string(i) + ".png>";
    }
    server.page("/page", "<html><head><link rel=stylesheet href=/first.css><link rel=stylesheet href=/second.css></head>"
                         "<body><div id=box></div>" + images + "</body></html>");
    LoadedPage page;
    QSignalSpy layouts(&page.view, &PageView::laidOut);
    std::vector<QRgb> firstShown;
    QObject::connect(&page.view, &PageView::laidOut, [&] {
        if (firstShown.empty())
            firstShown = {pixelAt(page.view, QPoint(100, 5)), pixelAt(page.view, QPoint(100, 60))};
    });
    ASSERT_TRUE(page.load(server.url("/page")));
    ASSERT_TRUE(waitUntil([&] { return page.view.isSettled(); }));
    EXPECT_EQ(firstShown, (std::vector<QRgb>{qRgb(0, 0, 255), qRgb(255, 0, 0)})) << "the first layout has both style sheets";
    EXPECT_GE(layouts.size(), 1);
    EXPECT_LE(layouts.size(), 1 + LayoutPacing::MaxLaterLayouts + 1) << "not once for each of the 14 resources";
}

TEST(PageViewBounds, StyleSheetsPastThePageBudgetAreSkippedAndNamed)
{
    TestServer server;
    // Held as text, each of these takes 24 MB: two fit in the page's 64 MB, the third not.
    const std::string bulk = "/*" + std::string(12 * 1024 * 1024, 'x') + "*/";
    server.page("/box.css", "#box { width: 200px; height: 100px; background-color: rgb(255, 0, 0) } body { margin: 0 }",
                "text/css");
    for (const char *name : {"/bulk1.css", "/bulk2.css", "/bulk3.css"})
        server.page(name, bulk, "text/css");
    server.page("/page", "<html><head><link rel=stylesheet href=/box.css><link rel=stylesheet href=/bulk1.css>"
                         "<link rel=stylesheet href=/bulk2.css><link rel=stylesheet href=/bulk3.css></head>"
                         "<body><div id=box></div></body></html>");
    LoadedPage page;
    ASSERT_TRUE(page.load(server.url("/page")));
    ASSERT_TRUE(waitUntil([&] { return page.view.isSettled(); }, 30000));
    // Which one depends on the order they arrive in.
    ASSERT_EQ(page.view.skippedResources().size(), 1);
    EXPECT_TRUE(page.view.skippedResources().constFirst().startsWith(server.url("/bulk")));
    EXPECT_EQ(pixelAt(page.view, QPoint(100, 50)), qRgb(255, 0, 0)) << "the sheets within the budget apply";
}

} // namespace
