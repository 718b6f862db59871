#include "BuiltinTesting.h"
#include "PagePictures.h"
#include "QtPrinters.h"
#include "QtWait.h"
#include "TestServer.h"

#include "browser/builtin/BuiltinBrowser.h"
#include "browser/builtin/BuiltinWindow.h"
#include "browser/builtin/dom/DocumentModel.h"
#include "browser/builtin/dom/FormControls.h"
#include "browser/builtin/dom/HtmlDocument.h"
#include "browser/builtin/view/BuiltinWindowView.h"
#include "browser/builtin/view/PageView.h"
#include "browser/builtin/view/ShowBuiltinWindows.h"
#include "browser/builtin/view/WindowPicture.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLineEdit>
#include <QPointer>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include <algorithm>
#include <atomic>
#include <functional>

#include <gtest/gtest.h>

namespace {

std::vector<BuiltinWindowView *> views()
{
    std::vector<BuiltinWindowView *> found;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *view = qobject_cast<BuiltinWindowView *>(widget); view && view->isVisible())
            found.push_back(view);
    }
    return found;
}

// The window shown for a browser window, and what a test looks at in it.
struct ShownWindow {
    BuiltinBrowser browser;
    std::shared_ptr<BuiltinWindow> window = browser.openWindow();
    PageView *page = nullptr;

    ShownWindow()
    {
        showBuiltinWindows(browser);
        page = views().front()->findChild<PageView *>("page");
    }

    bool load(const QString &url)
    {
        window->navigate(url);
        return waitUntil([&] { return !window->isBusy(); });
    }

    // Where the element with that id is drawn in the page's viewport.
    QRect rectOf(const QString &id) const
    {
        page->refreshNow();
        const auto model = documentModel(*window->document());
        const dom::Element *element = model ? dom::elementById(model->tree(), id) : nullptr;
        return element ? page->elementRect(*element) : QRect();
    }

    QImage shown() const
    {
        page->refreshNow();
        return page->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
};

TEST(BuiltinWindowView, ShowsEveryWindowAndFollowsItsState)
{
    TestServer server;
    server.page("/a", "<title>First</title><p><a id=link href=\"/b\">to b</a></p>");
    server.page("/b", "<title>Second</title><p>B</p>");
    ShownWindow shown;
    showBuiltinWindows(shown.browser);
    ASSERT_EQ(views().size(), 1u) << "one view per window, however often asked";
    QPointer<BuiltinWindowView> view = views().front();
    auto *address = view->findChild<QLineEdit *>("address");
    auto *toolBar = view->findChild<QToolBar *>("addressBar");
    ASSERT_TRUE(address && shown.page && toolBar);

    // Enter in the address bar navigates the window.
    address->setText(server.url("/a"));
    emit address->returnPressed();
    ASSERT_TRUE(waitUntil([&] { return shown.window->document() != nullptr && !shown.window->isBusy(); }));
    EXPECT_EQ(view->windowTitle(), "First - NavRelay Browser");
    EXPECT_EQ(address->text(), server.url("/a"));

    // A person's click on a link is a navigation of the window, with the page as referrer.
    shown.page->refreshNow();
    const QRect link = shown.rectOf("link");
    ASSERT_FALSE(link.isEmpty());
    QTest::mouseClick(shown.page->viewport(), Qt::LeftButton, {}, link.center());
    ASSERT_TRUE(waitUntil([&] { return shown.window->locationUrl() == server.url("/b") && !shown.window->isBusy(); }));
    EXPECT_EQ(server.pageRequests().back().header("Referer"), server.url("/a").toStdString());
    EXPECT_EQ(view->windowTitle(), "Second - NavRelay Browser");

    // Back goes to the earlier page.
    view->findChild<QAction *>("back")->trigger();
    ASSERT_TRUE(waitUntil([&] { return shown.window->locationUrl() == server.url("/a") && !shown.window->isBusy(); }));

    shown.window->setStatusText("NavRelay Successfully Attached.");
    EXPECT_EQ(view->statusBar()->currentMessage(), "NavRelay Successfully Attached.");
    shown.window->setToolBar(false);
    shown.window->setStatusBar(false);
    EXPECT_FALSE(toolBar->isVisible());
    EXPECT_FALSE(view->statusBar()->isVisible());
    shown.window->setToolBar(true);
    EXPECT_TRUE(toolBar->isVisible());

    // Windows opened later get a view too; closing a view closes its window, and Quit its view.
    const auto second = shown.browser.openWindow();
    ASSERT_EQ(views().size(), 2u);
    shown.window->quit();
    ASSERT_TRUE(waitUntil([&] { return view.isNull(); }));
    auto *secondView = views().front();
    secondView->close();
    EXPECT_TRUE(second->isClosed());
    EXPECT_TRUE(shown.browser.windows().empty());
}

// The picture a failed run keeps: the page as a window of the usual size lays it out, drawn
// without a window on the screen.
TEST(BuiltinWindowView, PictureOfAWindowShowsItsPageLaidOutAcrossTheWindow)
{
    TestServer server;
    server.page("/page", "<style>body { margin: 0 } #bar { height: 80px; background-color: rgb(0, 0, 0) }</style>"
                         "<div id=bar></div><p>text</p>");
    BuiltinBrowser browser;
    const auto window = browser.openWindow();
    window->navigate(server.url("/page"));
    ASSERT_TRUE(waitUntil([&] { return window->document() && !window->isBusy(); }));
    const QImage picture = QImage::fromData(windowPicture(window, QDeadlineTimer(10000)).png).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(picture.isNull());
    ASSERT_GT(picture.width(), 600);
    const int barRow = 70; // under the address bar, in the first 80 pixels of the page
    for (const int x : {20, picture.width() / 2, picture.width() - 60})
        EXPECT_EQ(picture.pixel(x, barRow), qRgb(0, 0, 0)) << "at " << x << ", " << barRow;
    EXPECT_TRUE(views().empty());
}

TEST(BuiltinWindowView, DrawsStylesImagesTablesAndFieldsFromTheDocument)
{
    TestServer server;
    server.page("/style.css", "#box { width: 120px; height: 50px; background-color: rgb(200, 30, 40) } td { border: 1px solid black }",
                "text/css");
    server.page("/picture.png", pngOf(QColor(20, 160, 60), QSize(40, 30)), "image/png");
    server.page("/page",
                "<link rel=stylesheet href=/style.css><div id=box></div>"
                "<table id=table><tr><td>one<td>two</table><img id=picture src=/picture.png>"
                "<p id=text>Some text to zoom</p>"
                "<form action=/sent><input id=name name=name value=Ann><input type=checkbox id=tick name=tick>"
                "<select name=s><option>first<option selected>second</select><input type=submit value=Send></form>");
    ShownWindow shown;
    ASSERT_TRUE(shown.load(server.url("/page")));

    // The style sheet and the image arrive through the browser's network and are drawn.
    ASSERT_TRUE(waitUntil([&] {
        const QRect box = shown.rectOf("box");
        return !box.isEmpty() && shown.shown().pixel(box.center()) == qRgb(200, 30, 40);
    }));
    ASSERT_TRUE(waitUntil([&] {
        const QRect picture = shown.rectOf("picture");
        return picture.width() == 40 && shown.shown().pixel(picture.center()) == qRgb(20, 160, 60);
    }));
    QImage before = shown.shown();
    EXPECT_GT(inkIn(before, shown.rectOf("table")), 20);
    const QRect field = shown.rectOf("name");
    EXPECT_GT(inkIn(before, field.adjusted(3, 3, -3, -3)), 10) << "the field's value is drawn";

    // A fill draws the new value, and the field is outlined while the line acts on it.
    const auto ringInk = [&](const QImage &image) {
        return inkIn(image, field.adjusted(-4, -4, 4, 4)) - inkIn(image, field);
    };
    const int ringBefore = ringInk(before);
    shown.window->document()->getElementById("name")->setValue("Zachary Quentin");
    const QImage filled = shown.shown();
    EXPECT_NE(filled.copy(field), before.copy(field));
    EXPECT_GT(ringInk(filled), ringBefore + 40) << "outlined";
    EXPECT_TRUE(waitUntil([&] { return ringInk(shown.shown()) == ringBefore; }, 3000)) << "the outline goes after a moment";

    // Typed keys change the field's value in the document; Enter submits its form.
    QTest::mouseClick(shown.page->viewport(), Qt::LeftButton, {}, QPoint(field.right() - 3, field.center().y()));
    QTest::keyClicks(shown.page, " Jr");
    EXPECT_EQ(shown.window->document()->getElementById("name")->value(), "Zachary Quentin Jr");
    QTest::mouseClick(shown.page->viewport(), Qt::LeftButton, {}, shown.rectOf("tick").center());
    EXPECT_TRUE(dom::checkedness(*dom::elementById(documentModel(*shown.window->document())->tree(), "tick")));

    // The zoom of the whole page draws it again at once, bigger.
    const QRect text = shown.rectOf("text");
    before = shown.shown();
    auto document = shown.window->document();
    document->execCommand("SelectAll");
    document->execCommand("FontSize", false, 7);
    shown.window->clearSelection();
    EXPECT_GT(shown.rectOf("text").height(), text.height() * 3 / 2);
    EXPECT_NE(shown.shown(), before);

    // A drag selects the document's contents: the selection zoom acts on what was dragged over.
    const QRect zoomed = shown.rectOf("text");
    QTest::mousePress(shown.page->viewport(), Qt::LeftButton, {}, zoomed.topLeft() + QPoint(2, 5));
    QTest::mouseMove(shown.page->viewport(), zoomed.center());
    QTest::mouseRelease(shown.page->viewport(), Qt::LeftButton, {}, zoomed.center());
    document->execCommand("FontSize", false, 1);
    EXPECT_TRUE(document->getElementById("text")->innerHTML().startsWith("<font size=\"1\">Some"))
        << document->getElementById("text")->innerHTML().toStdString();

    QTest::keyClick(shown.page, Qt::Key_Tab);
    QTest::keyClick(shown.page, Qt::Key_Return);
    ASSERT_TRUE(waitUntil([&] { return shown.window->locationUrl().contains("/sent?name=Zachary+Quentin+Jr&tick=on&s=second"); }))
        << shown.window->locationUrl().toStdString();
}

// The keys and the mouse do in the window what they do in a browser.
TEST(BuiltinWindowView, KeysAndMouseDoWhatABrowserWindowDoes)
{
    TestServer server;
    std::atomic<int> sheetRequests = 0;
    server.handle("GET", "/colour.css", [&sheetRequests](const httplib::Request &, httplib::Response &response) {
        ++sheetRequests;
        response.set_content("body { margin: 8px }", "text/css");
    });
    server.page("/page", "<link rel=stylesheet href=/colour.css><p id=text>alpha beta gamma</p>"
                         "<p><a id=link href=/other>to the other page</a></p><p id=after>after</p>");
    ShownWindow shown;
    ASSERT_TRUE(shown.load(server.url("/page")));
    ASSERT_TRUE(waitUntil([&] { return shown.page->isSettled(); }));
    BuiltinWindowView *view = views().front();
    QApplication::setActiveWindow(view);

    // A double click selects the word under the mouse; Ctrl+C copies it.
    const QRect text = shown.rectOf("text");
    QTest::mouseDClick(shown.page->viewport(), Qt::LeftButton, {}, text.topLeft() + QPoint(4, text.height() / 2));
    QApplication::clipboard()->clear();
    QTest::keyClick(shown.page, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "alpha");

    // The mouse over a link shows its address in the status bar, and away from it the window's.
    shown.window->setStatusText("Done");
    const auto moveTo = [&](const QPoint &point) {
        QMouseEvent move(QEvent::MouseMove, point, shown.page->viewport()->mapToGlobal(point), Qt::NoButton, Qt::NoButton, {});
        QApplication::sendEvent(shown.page->viewport(), &move);
    };
    moveTo(shown.rectOf("link").center());
    EXPECT_EQ(view->statusBar()->currentMessage(), server.url("/other"));
    moveTo(shown.rectOf("after").center());
    EXPECT_EQ(view->statusBar()->currentMessage(), "Done");

    // Ctrl+L goes to the address bar.
    auto *address = view->findChild<QLineEdit *>("address");
    shown.page->setFocus();
    QTest::keyClick(view, Qt::Key_L, Qt::ControlModifier);
    EXPECT_TRUE(address->hasFocus());
    EXPECT_EQ(address->selectedText(), server.url("/page"));

    // The zoom keys of the main window's Zoom menu zoom this window's page.
    const int normalHeight = shown.rectOf("text").height();
    QTest::keyClick(view, Qt::Key_F3, Qt::ControlModifier);
    EXPECT_GT(shown.rectOf("text").height(), normalHeight * 4 / 3);

    // Reload fetches the page and its style sheet again, by its button and by its keys.
    const auto pageRequests = [&] {
        const std::vector<TestServer::Request> requests = server.pageRequests();
        return std::count_if(requests.begin(), requests.end(),
                             [](const TestServer::Request &request) { return request.path == "/page"; });
    };
    const auto pagesBefore = pageRequests();
    const int sheetsBefore = sheetRequests;
    view->findChild<QAction *>("reload")->trigger();
    ASSERT_TRUE(waitUntil([&] { return pageRequests() == pagesBefore + 1 && !shown.window->isBusy() && shown.page->isSettled(); }));
    EXPECT_EQ(sheetRequests, sheetsBefore + 1);
    shown.page->setFocus();
    QTest::keyClick(view, Qt::Key_F5);
    ASSERT_TRUE(waitUntil([&] { return pageRequests() == pagesBefore + 2 && !shown.window->isBusy() && shown.page->isSettled(); }));
    QTest::keyClick(view, Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(waitUntil([&] { return pageRequests() == pagesBefore + 3 && !shown.window->isBusy() && shown.page->isSettled(); }));
    EXPECT_EQ(sheetRequests, sheetsBefore + 3);
}

// Back and Forward step through the window's history by their buttons and keys; a new page ends
// what Forward can reach.
TEST(BuiltinWindowView, BackAndForwardStepThroughTheWindowsHistory)
{
    TestServer server;
    for (const char *path : {"/a", "/b", "/c"})
        server.page(path, std::string("<p>page ") + path + "</p>");
    ShownWindow shown;
    BuiltinWindowView *view = views().front();
    QApplication::setActiveWindow(view);
    auto *forward = view->findChild<QAction *>("forward");
    ASSERT_TRUE(forward);
    const auto arrivedAt = [&](const char *path) {
        return waitUntil([&] { return shown.window->locationUrl() == server.url(path) && !shown.window->isBusy(); });
    };
    ASSERT_TRUE(shown.load(server.url("/a")));
    ASSERT_TRUE(shown.load(server.url("/b")));
    EXPECT_FALSE(forward->isEnabled()) << "nothing to go forward to";

    view->findChild<QAction *>("back")->trigger();
    ASSERT_TRUE(arrivedAt("/a"));
    EXPECT_TRUE(forward->isEnabled());
    forward->trigger();
    ASSERT_TRUE(arrivedAt("/b"));
    EXPECT_FALSE(forward->isEnabled());

    QTest::keyClick(view, Qt::Key_Left, Qt::AltModifier);
    ASSERT_TRUE(arrivedAt("/a"));
    QTest::keyClick(view, Qt::Key_Right, Qt::AltModifier);
    ASSERT_TRUE(arrivedAt("/b"));

    QTest::keyClick(view, Qt::Key_Left, Qt::AltModifier);
    ASSERT_TRUE(arrivedAt("/a"));
    ASSERT_TRUE(shown.load(server.url("/c")));
    EXPECT_FALSE(forward->isEnabled()) << "a new page drops the pages going back left";
    QTest::keyClick(view, Qt::Key_Right, Qt::AltModifier);
    shown.window->goForward();
    spinEvents(200);
    EXPECT_EQ(shown.window->locationUrl(), server.url("/c"));
    shown.window->goBack();
    ASSERT_TRUE(arrivedAt("/a"));
}

// A page and its three resources: a fresh style sheet, one that may not be kept and an image
// with a validator. Going to it again asks only for what is not fresh; Reload asks for all of it.
TEST(BuiltinWindowView, ReloadAsksEveryServerAgainPastWhatTheBrowserKeeps)
{
    TestServer server;
    const auto serve = [&server](const std::string &path, const std::string &field, const std::string &value,
                                 const std::string &body, const std::string &type) {
        server.handle("GET", path, [=](const httplib::Request &request, httplib::Response &response) {
            response.set_header(field, value);
            if (field == "ETag" && request.get_header_value("If-None-Match") == value)
                response.status = 304;
            else
                response.set_content(body, type);
        });
    };
    serve("/fresh.css", "Cache-Control", "max-age=3600", "p { color: rgb(200, 0, 0) }", "text/css");
    serve("/nostore.css", "Cache-Control", "no-store", "p { margin: 4px }", "text/css");
    serve("/tagged.png", "ETag", "\"1\"", pngOf(QColor(0, 160, 0), QSize(8, 8)), "image/png");
    server.page("/page", "<link rel=stylesheet href=/fresh.css><link rel=stylesheet href=/nostore.css>"
                         "<p>page</p><img src=/tagged.png>");
    server.page("/other", "<p>other</p>");
    ShownWindow shown;
    BuiltinWindowView *view = views().front();
    QApplication::setActiveWindow(view);
    size_t seen = 0;
    // The requests since the last call, by path; each checked with the test given.
    const auto requested = [&](const std::function<bool(const TestServer::Request &)> &each) {
        const std::vector<TestServer::Request> all = server.pageRequests();
        std::vector<std::string> paths;
        for (size_t index = seen; index < all.size(); ++index) {
            paths.push_back(all[index].path);
            EXPECT_TRUE(each(all[index])) << all[index].path;
        }
        seen = all.size();
        std::sort(paths.begin(), paths.end());
        return paths;
    };
    const auto any = [](const TestServer::Request &) { return true; };
    const auto settle = [&] { return waitUntil([&] { return !shown.window->isBusy() && shown.page->isSettled(); }); };

    ASSERT_TRUE(shown.load(server.url("/page")));
    ASSERT_TRUE(settle());
    EXPECT_EQ(requested(any), (std::vector<std::string>{"/fresh.css", "/nostore.css", "/page", "/tagged.png"}));
    ASSERT_TRUE(shown.load(server.url("/other")));
    ASSERT_TRUE(shown.load(server.url("/page")));
    ASSERT_TRUE(settle());
    EXPECT_EQ(requested([](const TestServer::Request &request) {
                  return request.path != "/tagged.png" || request.header("If-None-Match") == "\"1\"";
              }),
              (std::vector<std::string>{"/nostore.css", "/other", "/page", "/tagged.png"}));

    const auto pastTheCache = [](const TestServer::Request &request) {
        return request.header("Cache-Control") == "no-cache" && request.header("If-None-Match").empty();
    };
    const std::vector<std::string> everything{"/fresh.css", "/nostore.css", "/page", "/tagged.png"};
    view->findChild<QAction *>("reload")->trigger();
    ASSERT_TRUE(waitUntil([&] { return server.pageRequests().size() >= seen + 4; }));
    ASSERT_TRUE(settle());
    EXPECT_EQ(requested(pastTheCache), everything);
    QTest::keyClick(view, Qt::Key_F5);
    ASSERT_TRUE(waitUntil([&] { return server.pageRequests().size() >= seen + 4; }));
    ASSERT_TRUE(settle());
    EXPECT_EQ(requested(pastTheCache), everything);

    // Reload keeps the page's place in history.
    shown.window->goBack();
    ASSERT_TRUE(waitUntil([&] { return shown.window->locationUrl() == server.url("/other") && !shown.window->isBusy(); }));
}

std::string repeated(const std::string &part, int times)
{
    std::string whole;
    for (int i = 0; i < times; ++i)
        whole += part;
    return whole;
}

TEST(BuiltinWindowView, BadPagesNeitherCrashNorHoldTheWindowUp)
{
    TestServer server;
    RawServer silent(QByteArray(), RawServer::Close::Never);
    // A PNG that says it is 30,000 pixels square.
    const QByteArray hugePng = QByteArray("\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR\x00\x00\x75\x30\x00\x00\x75\x30\x08\x02\x00\x00\x00", 29)
        + QByteArray(4, '\0') + "IDAT" + QByteArray(5000, 'x');
    server.page("/huge.png", hugePng.toStdString(), "image/png");
    server.page("/corrupt.png", "\x89PNG\r\n\x1a\ngarbage", "image/png");
    server.page("/broken.css", "p { color: red; background: url( ; } }}} @media (((( { p { font-size: 99999999px } div{{{", "text/css");
    server.page("/resources", "<link rel=stylesheet href=" + silent.url("/never.css").toStdString()
                                  + "><link rel=stylesheet href=/broken.css><style>p{font: 1e9px; width:-5px}</style>"
                                    "<h2 id=top>top</h2><img src=/huge.png><img src=/corrupt.png><img src=/missing.png>");
    server.page("/many", "<h2 id=top>top</h2>" + repeated("<p>many</p>", 100'000) + "<p id=last>last</p>");
    server.page("/deep", "<h2 id=top>top</h2>" + repeated("<div>", 100'000) + "deep");
    ShownWindow shown;
#ifdef NAVRELAY_SANITIZED
    // A sanitizer build styles 100,000 nested elements for longer than the wait below.
    const auto paths = {"/resources", "/many"};
#else
    const auto paths = {"/resources", "/many", "/deep"};
#endif
    for (const char *path : paths) {
        ASSERT_TRUE(shown.load(server.url(path))) << path;
        // Laid out once the window gets to it; on a slow build a layout past its time bound is given
        // up for the page's plain text instead, which holds the window up no longer either.
        EXPECT_TRUE(waitUntil([&] { return !shown.rectOf("top").isEmpty() || shown.page->shownAsPlainText(); }, 20000)) << path;
        if (QLatin1StringView(path) == QLatin1StringView("/many")) {
            EXPECT_TRUE(shown.rectOf("last").isEmpty()) << "a page of 100,000 elements is shown cut";
        }
    }
}

} // namespace
