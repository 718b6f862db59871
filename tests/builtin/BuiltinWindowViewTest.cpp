#include "QtPrinters.h"
#include "QtWait.h"
#include "TestServer.h"

#include "browser/builtin/BuiltinBrowser.h"
#include "browser/builtin/BuiltinWindow.h"
#include "browser/builtin/view/BuiltinWindowView.h"
#include "browser/builtin/view/ShowBuiltinWindows.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QStatusBar>
#include <QTextBrowser>
#include <QToolBar>

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

TEST(BuiltinWindowView, ShowsEveryWindowAndFollowsItsState)
{
    TestServer server;
    server.page("/a", "<title>First</title><p><a href=\"/b\">to b</a></p>");
    server.page("/b", "<title>Second</title><p>B</p>");
    BuiltinBrowser browser;
    const auto window = browser.openWindow();
    showBuiltinWindows(browser);
    showBuiltinWindows(browser);
    ASSERT_EQ(views().size(), 1u) << "one view per window, however often asked";
    QPointer<BuiltinWindowView> view = views().front();
    auto *address = view->findChild<QLineEdit *>("address");
    auto *page = view->findChild<QTextBrowser *>("page");
    auto *toolBar = view->findChild<QToolBar *>("addressBar");
    ASSERT_TRUE(address && page && toolBar);

    // Enter in the address bar navigates the window.
    address->setText(server.url("/a"));
    emit address->returnPressed();
    ASSERT_TRUE(waitUntil([&] { return window->document() != nullptr && !window->isBusy(); }));
    EXPECT_EQ(view->windowTitle(), "First - NavRelay Browser");
    EXPECT_EQ(address->text(), server.url("/a"));
    EXPECT_TRUE(page->toPlainText().contains("to b"));

    // A link in the page is a navigation of the window, with the page as referrer.
    emit page->anchorClicked(QUrl("/b"));
    EXPECT_TRUE(window->isBusy());
    ASSERT_TRUE(waitUntil([&] { return !window->isBusy(); }));
    EXPECT_EQ(window->locationUrl(), server.url("/b"));
    EXPECT_EQ(server.pageRequests().back().header("Referer"), server.url("/a").toStdString());
    EXPECT_EQ(view->windowTitle(), "Second - NavRelay Browser");

    window->setStatusText("NavRelay Successfully Attached.");
    EXPECT_EQ(view->statusBar()->currentMessage(), "NavRelay Successfully Attached.");
    window->setToolBar(false);
    window->setStatusBar(false);
    EXPECT_FALSE(toolBar->isVisible());
    EXPECT_FALSE(view->statusBar()->isVisible());
    window->setToolBar(true);
    EXPECT_TRUE(toolBar->isVisible());

    // Windows opened later get a view too; closing a view closes its window, and Quit its view.
    const auto second = browser.openWindow();
    ASSERT_EQ(views().size(), 2u);
    window->quit();
    ASSERT_TRUE(waitUntil([&] { return view.isNull(); }));
    auto *secondView = views().front();
    secondView->close();
    EXPECT_TRUE(second->isClosed());
    EXPECT_TRUE(browser.windows().empty());
}

} // namespace
