#include "EngineDoubles.h"
#include "QtPrinters.h"
#include "RecordingHost.h"

#include "browser/Browser.h"
#include "browser/BrowserConnection.h"
#include "engine/RunState.h"
#include "page/CurrentDoc.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A shell window of a scripted desktop: a browser window or another kind, with or without a page.
class ShellWindow : public RecordingWindow {
public:
    ShellWindow(QString name, std::shared_ptr<Document> shown, QStringList &log)
        : m_name(std::move(name)), m_log(log)
    {
        page = std::move(shown);
    }
    QString name() const override { return m_name; }
    bool isBusy() const override { return busyReads-- > 0; }
    void quit() override
    {
        m_log << QStringLiteral("Quit ") + m_name;
        closed = true;
    }
    void setStatusText(const QString &text) override { statusText = text; }
    void setEventSink(BrowserEvents *receiver) override { sink = receiver; }

    mutable int busyReads = 0;
    QString statusText;
    BrowserEvents *sink = nullptr;

private:
    QString m_name;
    QStringList &m_log;
};

class ScriptedDesktop : public Browser {
public:
    QString browserName() const override { return QStringLiteral("Test Browser"); }
    QString programName() const override { return QStringLiteral("Test Browser"); }
    std::vector<std::shared_ptr<BrowserWindow>> windows() override
    {
        std::vector<std::shared_ptr<BrowserWindow>> open;
        for (const auto &window : openWindows) {
            if (!window->closed)
                open.push_back(window);
        }
        return open;
    }
    std::shared_ptr<BrowserWindow> createWindow() override
    {
        log << QStringLiteral("createWindow");
        return add(browserName(), nullptr);
    }
    void startProgram() override
    {
        log << QStringLiteral("startProgram");
        if (!programInstalled)
            throw ScriptError(PathNotFound);
        if (startedWindowShowsPage)
            add(browserName(), std::make_shared<BodyOnlyDocument>(QStringLiteral("blank")));
    }
    void activateWindow(const QString &title) override { log << QStringLiteral("activate ") + title; }
    void setPersonActions(PersonActions *) override {}

    std::shared_ptr<ShellWindow> add(const QString &name, std::shared_ptr<Document> shown)
    {
        openWindows.push_back(std::make_shared<ShellWindow>(name, std::move(shown), log));
        return openWindows.back();
    }
    std::shared_ptr<ShellWindow> addPage(const QString &html)
    {
        return add(browserName(), std::make_shared<BodyOnlyDocument>(html));
    }

    std::vector<std::shared_ptr<ShellWindow>> openWindows;
    QStringList log;
    bool programInstalled = true;
    bool startedWindowShowsPage = true;
};

class Attach : public ::testing::Test {
protected:
    void TearDown() override { CurrentDoc.reset(); }

    ScriptedDesktop desktop;
    RecordingHost host;
    RunState state;
    int resets = 0;
    std::vector<bool> waitAtPageCompletions; // the wait flag as each page completion was heard
    BrowserConnection connection{desktop, host, state, [this] { ++resets; },
                                 [this] { waitAtPageCompletions.push_back(state.waitingForPage); }};
};

TEST_F(Attach, AttachesTheFirstWindowWithAPageAfterClosingOtherShellWindows)
{
    desktop.add(QStringLiteral("Folder"), nullptr);
    const auto empty = desktop.add(desktop.browserName(), nullptr);
    const auto first = desktop.addPage(QStringLiteral("one"));
    desktop.addPage(QStringLiteral("two"));
    state.waitingForPage = true;

    connection.attachBrowser();

    EXPECT_EQ(resets, 1);
    EXPECT_EQ(connection.attachedWindow(), first);
    EXPECT_EQ(first->statusText, QStringLiteral("NavRelay Successfully Attached."));
    EXPECT_EQ(first->sink, &connection);
    EXPECT_EQ(desktop.log, (QStringList{"Quit Folder", "activate Test Browser"}));
    EXPECT_EQ(host.sleeps, (std::vector<int>{BrowserConnection::kPauseAfterClosingMs}));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(Attach, ABusyWindowIsLookedAtAgainUntilIdleWithoutCountingTries)
{
    const auto busy = desktop.addPage(QStringLiteral("loading"));
    busy->busyReads = 5;
    desktop.addPage(QStringLiteral("idle"));
    connection.attachBrowser();
    EXPECT_EQ(connection.attachedWindow(), busy);
    EXPECT_TRUE(host.sleeps.empty());
}

TEST_F(Attach, StartsTheBrowserOnceAndCountsEverySearchPause)
{
    desktop.startedWindowShowsPage = false;
    connection.attachBrowser();
    EXPECT_EQ(desktop.log.count(QStringLiteral("startProgram")), 1);
    EXPECT_EQ(host.sleeps, std::vector<int>(BrowserConnection::kSearches, BrowserConnection::kPauseAfterSearchMs));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, QStringLiteral("Test Browser can not be located."));
    EXPECT_EQ(host.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(connection.attachedWindow(), nullptr);

    host.messages.clear();
    host.sleeps.clear();
    desktop.startedWindowShowsPage = true;
    connection.attachBrowser();
    ASSERT_NE(connection.attachedWindow(), nullptr);
    EXPECT_EQ(host.sleeps, (std::vector<int>{BrowserConnection::kPauseAfterSearchMs}));
}

TEST_F(Attach, AMissingBrowserProgramEndsTheAttachSilently)
{
    desktop.programInstalled = false;
    connection.attachBrowser();
    EXPECT_EQ(connection.attachedWindow(), nullptr);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(host.sleeps.empty());
    EXPECT_EQ(resets, 1);
    try {
        (void)connection.window();
        FAIL() << "no browser is attached";
    } catch (const ScriptError &error) {
        EXPECT_EQ(error.number(), ObjectNotSet);
    }
}

TEST_F(Attach, ReattachingDisconnectsTheOldWindow)
{
    const auto first = desktop.addPage(QStringLiteral("one"));
    connection.attachBrowser();
    first->closed = true; // the user closed it
    const auto second = desktop.addPage(QStringLiteral("two"));
    connection.attachBrowser();
    EXPECT_EQ(first->sink, nullptr);
    EXPECT_EQ(connection.attachedWindow(), second);
    EXPECT_EQ(resets, 2);
}

TEST_F(Attach, EventsKeepTheWaitFlagAndCurrentDocUpToDate)
{
    const auto window = desktop.addPage(QStringLiteral("page"));
    connection.attachBrowser();
    connection.navigationStarted(QStringLiteral("http://a/"));
    EXPECT_TRUE(state.waitingForPage);
    connection.documentCompleted(QStringLiteral("http://a/"));
    EXPECT_FALSE(state.waitingForPage);
    EXPECT_EQ(CurrentDoc, window->page);

    window->page.reset(); // a page that is not there any more still ends the wait
    state.waitingForPage = true;
    connection.documentCompleted(QString());
    EXPECT_FALSE(state.waitingForPage);
    EXPECT_EQ(CurrentDoc, nullptr);
    EXPECT_EQ(waitAtPageCompletions, (std::vector<bool>{false, false}));
}

TEST_F(Attach, EachNewWindowRequestClosesThePreviousPopup)
{
    desktop.addPage(QStringLiteral("page"));
    connection.attachBrowser();
    const auto firstPopup = connection.newWindowRequested();
    ASSERT_NE(firstPopup, nullptr);
    const auto secondPopup = connection.newWindowRequested();
    EXPECT_NE(secondPopup, firstPopup);
    EXPECT_EQ(connection.popupWindow(), secondPopup);
    EXPECT_TRUE(static_cast<ShellWindow &>(*firstPopup).closed);
    EXPECT_EQ(desktop.log.count(QStringLiteral("createWindow")), 2);
}

} // namespace
