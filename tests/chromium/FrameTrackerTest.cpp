#include "browser/chromium/FrameTracker.h"

#include <gtest/gtest.h>

#include <QJsonDocument>

#include <utility>
#include <vector>

namespace {

using Event = std::pair<const char *, const char *>; // method, parameters as JSON
using Kind = PageNotification::Kind;

constexpr auto kMain = "MAIN";

std::vector<PageNotification> run(FrameTracker &tracker, const std::vector<Event> &events)
{
    std::vector<PageNotification> out;
    for (const auto &[method, params] : events) {
        const auto notifications = tracker.apply(QString::fromLatin1(method), QJsonDocument::fromJson(params).object());
        out.insert(out.end(), notifications.begin(), notifications.end());
    }
    return out;
}

PageNotification before(const char *url)
{
    return {Kind::NavigationStarted, QString::fromLatin1(url)};
}

PageNotification complete(const char *url)
{
    return {Kind::DocumentCompleted, QString::fromLatin1(url)};
}

// A page at http://h/a, loaded by loader L1 and complete.
std::vector<Event> loadedPageA()
{
    return {
        {"Page.frameStartedNavigating", R"({"frameId":"MAIN","url":"http://h/a","loaderId":"L1","navigationType":"differentDocument"})"},
        {"Page.frameStartedLoading", R"({"frameId":"MAIN"})"},
        {"Page.frameNavigated", R"({"frame":{"id":"MAIN","loaderId":"L1","url":"http://h/a","mimeType":"text/html"},"type":"Navigation"})"},
        {"Page.lifecycleEvent", R"({"frameId":"MAIN","loaderId":"L1","name":"load"})"},
        {"Page.frameStoppedLoading", R"({"frameId":"MAIN"})"},
    };
}

} // namespace

void PrintTo(const PageNotification &notification, std::ostream *out)
{
    *out << (notification.kind == Kind::NavigationStarted ? "navigationStarted " : "documentCompleted ")
         << notification.url.toStdString();
}

TEST(FrameTracker, EveryAnnouncedNavigationCompletesOnce)
{
    const struct {
        const char *name;
        std::vector<Event> events; // after page A has loaded
        std::vector<PageNotification> expected;
    } cases[] = {
        {"a frame completes before its page",
         {{"Page.frameStartedNavigating", R"({"frameId":"MAIN","url":"http://h/f","loaderId":"L2","navigationType":"differentDocument"})"},
          {"Page.frameStartedLoading", R"({"frameId":"MAIN"})"},
          {"Page.frameNavigated", R"({"frame":{"id":"MAIN","loaderId":"L2","url":"http://h/f","mimeType":"text/html"}})"},
          {"Page.frameAttached", R"({"frameId":"SUB","parentFrameId":"MAIN"})"},
          {"Page.frameStartedNavigating", R"({"frameId":"SUB","url":"http://h/inner","loaderId":"S1","navigationType":"differentDocument"})"},
          {"Page.frameStartedLoading", R"({"frameId":"SUB"})"},
          {"Page.frameNavigated", R"({"frame":{"id":"SUB","parentId":"MAIN","loaderId":"S1","url":"http://h/inner"}})"},
          {"Page.lifecycleEvent", R"({"frameId":"SUB","loaderId":"S1","name":"load"})"},
          {"Page.frameStoppedLoading", R"({"frameId":"SUB"})"},
          {"Page.lifecycleEvent", R"({"frameId":"MAIN","loaderId":"L2","name":"load"})"},
          {"Page.frameStoppedLoading", R"({"frameId":"MAIN"})"}},
         {before("http://h/f"), before("http://h/inner"), complete("http://h/inner"), complete("http://h/f")}},
        {"a late load of the replaced document is not the new one's",
         {{"Page.frameStartedNavigating", R"({"frameId":"MAIN","url":"http://h/b","loaderId":"L2","navigationType":"differentDocument"})"},
          {"Page.lifecycleEvent", R"({"frameId":"MAIN","loaderId":"L1","name":"load"})"},
          {"Page.frameNavigated", R"({"frame":{"id":"MAIN","loaderId":"L2","url":"http://h/b"}})"},
          {"Page.lifecycleEvent", R"({"frameId":"MAIN","loaderId":"L2","name":"DOMContentLoaded"})"},
          {"Page.lifecycleEvent", R"({"frameId":"MAIN","loaderId":"L2","name":"load"})"}},
         {before("http://h/b"), complete("http://h/b")}},
        {"a fragment link moves within the document",
         {{"Page.frameScheduledNavigation", R"({"frameId":"MAIN","url":"http://h/a#x","delay":0,"reason":"anchorClick"})"},
          {"Page.frameStartedLoading", R"({"frameId":"MAIN"})"},
          {"Page.navigatedWithinDocument", R"({"frameId":"MAIN","url":"http://h/a#x"})"},
          {"Page.frameStoppedLoading", R"({"frameId":"MAIN"})"}},
         {before("http://h/a#x"), complete("http://h/a#x")}},
        {"the end of an earlier document's load is not the new one's",
         {{"Page.frameStartedNavigating", R"({"frameId":"MAIN","url":"http://h/b","loaderId":"L2","navigationType":"differentDocument"})"},
          {"Page.frameStartedLoading", R"({"frameId":"MAIN"})"},
          {"Page.lifecycleEvent", R"({"frameId":"MAIN","loaderId":"L0","name":"commit"})"},
          {"Page.lifecycleEvent", R"({"frameId":"MAIN","loaderId":"L0","name":"load"})"},
          {"Page.frameStoppedLoading", R"({"frameId":"MAIN"})"},
          {"Page.lifecycleEvent", R"({"frameId":"MAIN","loaderId":"L2","name":"commit"})"},
          {"Page.lifecycleEvent", R"({"frameId":"MAIN","loaderId":"L2","name":"load"})"},
          {"Page.frameStoppedLoading", R"({"frameId":"MAIN"})"}},
         {before("http://h/b"), complete("http://h/b")}},
        {"an empty answer leaves the page as it was",
         {{"Page.frameStartedNavigating", R"({"frameId":"MAIN","url":"http://h/204","loaderId":"L2","navigationType":"differentDocument"})"},
          {"Page.frameStartedLoading", R"({"frameId":"MAIN"})"},
          {"Page.frameStoppedLoading", R"({"frameId":"MAIN"})"}},
         {before("http://h/204"), complete("http://h/a")}},
        {"a page from the back-forward cache completes when it shows",
         {{"Page.frameStartedNavigating", R"({"frameId":"MAIN","url":"http://h/z","loaderId":"L3","navigationType":"historyDifferentDocument"})"},
          {"Page.frameStartedLoading", R"({"frameId":"MAIN"})"},
          {"Page.frameStoppedLoading", R"({"frameId":"MAIN"})"},
          {"Page.frameNavigated", R"({"frame":{"id":"MAIN","loaderId":"L0","url":"http://h/z"},"type":"BackForwardCacheRestore"})"}},
         {before("http://h/z"), complete("http://h/z")}},
        {"a history step that loads anew completes at its load",
         {{"Page.frameStartedNavigating", R"({"frameId":"MAIN","url":"http://h/z","loaderId":"L3","navigationType":"historyDifferentDocument"})"},
          {"Page.frameStartedLoading", R"({"frameId":"MAIN"})"},
          {"Page.frameNavigated", R"({"frame":{"id":"MAIN","loaderId":"L3","url":"http://h/z"},"type":"Navigation"})"},
          {"Page.lifecycleEvent", R"({"frameId":"MAIN","loaderId":"L3","name":"load"})"},
          {"Page.frameStoppedLoading", R"({"frameId":"MAIN"})"}},
         {before("http://h/z"), complete("http://h/z")}},
        {"an error page stands for the address that failed",
         {{"Page.frameStartedNavigating", R"({"frameId":"MAIN","url":"http://down/","loaderId":"L2","navigationType":"differentDocument"})"},
          {"Page.frameNavigated", R"({"frame":{"id":"MAIN","loaderId":"L2","url":"chrome-error://chromewebdata/","unreachableUrl":"http://down/"}})"},
          {"Page.lifecycleEvent", R"({"frameId":"MAIN","loaderId":"L2","name":"load"})"}},
         {before("http://down/"), complete("http://down/")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        FrameTracker tracker(QString::fromLatin1(kMain));
        EXPECT_EQ(run(tracker, loadedPageA()), (std::vector{before("http://h/a"), complete("http://h/a")}));
        EXPECT_EQ(run(tracker, c.events), c.expected);
        EXPECT_FALSE(tracker.isLoading());
    }
}

TEST(FrameTracker, FrameCompletingBeforeItsPageIsReportedWithThePage)
{
    FrameTracker tracker(QString::fromLatin1(kMain));
    (void)run(tracker, loadedPageA());
    EXPECT_EQ(run(tracker, {
        {"Page.frameStartedNavigating", R"({"frameId":"MAIN","url":"http://h/f","loaderId":"L2","navigationType":"differentDocument"})"},
        {"Page.frameNavigated", R"({"frame":{"id":"MAIN","loaderId":"L2","url":"http://h/f"}})"},
        {"Page.frameStartedNavigating", R"({"frameId":"SUB","url":"http://h/inner","loaderId":"S1","navigationType":"differentDocument"})"},
        {"Page.frameNavigated", R"({"frame":{"id":"SUB","parentId":"MAIN","loaderId":"S1","url":"http://h/inner"}})"},
        {"Page.lifecycleEvent", R"({"frameId":"SUB","loaderId":"S1","name":"load"})"},
    }), (std::vector{before("http://h/f"), before("http://h/inner")}));
    EXPECT_EQ(run(tracker, {{"Page.lifecycleEvent", R"({"frameId":"MAIN","loaderId":"L2","name":"load"})"}}),
              (std::vector{complete("http://h/inner"), complete("http://h/f")}));

    // A frame loading after its page has completed is reported at once.
    EXPECT_EQ(run(tracker, {
        {"Page.frameStartedNavigating", R"({"frameId":"SUB","url":"http://h/later","loaderId":"S2","navigationType":"differentDocument"})"},
        {"Page.frameNavigated", R"({"frame":{"id":"SUB","parentId":"MAIN","loaderId":"S2","url":"http://h/later"}})"},
        {"Page.lifecycleEvent", R"({"frameId":"SUB","loaderId":"S2","name":"load"})"},
    }), (std::vector{before("http://h/later"), complete("http://h/later")}));
}

TEST(FrameTracker, FollowsTheMainFrameDocumentAndScriptContext)
{
    FrameTracker tracker(QString::fromLatin1(kMain));
    EXPECT_FALSE(tracker.mainFrameContext());
    (void)run(tracker, {
        {"Page.frameStartedLoading", R"({"frameId":"MAIN"})"},
        {"Page.frameNavigated", R"({"frame":{"id":"MAIN","loaderId":"L1","url":"http://h/p","urlFragment":"#top","mimeType":"text/plain"}})"},
        {"Runtime.executionContextCreated", R"({"context":{"id":7,"auxData":{"isDefault":true,"frameId":"MAIN"}}})"},
        {"Runtime.executionContextCreated", R"({"context":{"id":8,"auxData":{"isDefault":false,"frameId":"MAIN"}}})"},
        {"Runtime.executionContextCreated", R"({"context":{"id":9,"auxData":{"isDefault":true,"frameId":"SUB"}}})"},
    });
    EXPECT_TRUE(tracker.isLoading());
    EXPECT_EQ(tracker.mainFrameUrl(), QStringLiteral("http://h/p#top"));
    EXPECT_EQ(tracker.mainFrameMimeType(), QStringLiteral("text/plain"));
    EXPECT_EQ(tracker.mainFrameContext(), 7);

    (void)run(tracker, {{"Runtime.executionContextDestroyed", R"({"executionContextId":7})"}});
    EXPECT_FALSE(tracker.mainFrameContext());
    (void)run(tracker, {{"Runtime.executionContextCreated", R"({"context":{"id":10,"auxData":{"isDefault":true,"frameId":"MAIN"}}})"},
                        {"Runtime.executionContextsCleared", "{}"}});
    EXPECT_FALSE(tracker.mainFrameContext());
}

TEST(FrameTracker, PageFoundMidLoadCompletesWhenItLoads)
{
    FrameTracker tracker(QString::fromLatin1(kMain));
    tracker.seedFrameTree(QJsonDocument::fromJson(R"({"frame":{"id":"MAIN","loaderId":"L1","url":"http://h/slow","mimeType":"text/html"},
        "childFrames":[{"frame":{"id":"SUB","parentId":"MAIN","loaderId":"S1","url":"http://h/inner"}}]})").object());
    tracker.assumeMainFrameLoading();
    EXPECT_TRUE(tracker.isLoading());
    EXPECT_EQ(tracker.mainFrameUrl(), QStringLiteral("http://h/slow"));
    EXPECT_EQ(run(tracker, {{"Page.lifecycleEvent", R"({"frameId":"MAIN","loaderId":"L1","name":"load"})"},
                            {"Page.frameStoppedLoading", R"({"frameId":"MAIN"})"}}),
              std::vector{complete("http://h/slow")});
    EXPECT_FALSE(tracker.isLoading());
}
