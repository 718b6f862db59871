// Lines that act on an element wait for it to come, as pages that build themselves need.
#include "EngineDoubles.h"
#include "QtPrinters.h"
#include "RecordingHost.h"

#include "engine/ElementWait.h"
#include "engine/RunRecorder.h"
#include "engine/RunState.h"
#include "engine/ScriptError.h"
#include "engine/ScriptRunner.h"

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

namespace {

using Kind = ActionTarget::Kind;

class ElementWaits : public ::testing::Test {
protected:
    ElementWaits()
    {
        page.lookForTarget = [this](const ActionTarget &target) {
            looks << describeTarget(target);
            return targetState;
        };
    }

    void run(const QString &script) { runner.runScript(script); }
    void tick(int count = 1)
    {
        for (int i = 0; i < count && runner.tickTimer().isActive(); ++i)
            runner.tick();
    }

    RunState state;
    RecordingHost host;
    RecordingBrowserAccess browser;
    RecordingPageActions page{browser};
    ScriptRunner runner{state, host, browser, page};
    TargetState targetState = TargetState::Missing;
    QStringList looks;
};

TEST_F(ElementWaits, NoElementWaitActsAtOnceWithoutLooking)
{
    run(QStringLiteral("clink;Late offers\r\nbeep"));
    tick();
    EXPECT_EQ(page.calls, QStringList{QStringLiteral("clickLink Late offers")});
    EXPECT_TRUE(looks.isEmpty()) << "0 is today's behaviour: no look before the action";
    EXPECT_EQ(runner.status(), RunStatus::WaitingForPage);
}

TEST_F(ElementWaits, ATargetAlreadyThereIsActedOnInTheSameTick)
{
    state.elementWaitMs = 10000;
    targetState = TargetState::Ready;
    run(QStringLiteral("fill;q;desk lamp\r\nbeep"));
    tick();
    EXPECT_EQ(page.calls, QStringList{QStringLiteral("fillByName q desk lamp")});
    EXPECT_EQ(looks, QStringList{QStringLiteral("the field named \"q\"")});
    EXPECT_EQ(state.currentLine, 1);
}

TEST_F(ElementWaits, AMissingTargetHoldsItsLineUntilItComesLookingOnTheTimerAndOnEachChange)
{
    state.elementWaitMs = 10000;
    RunRecorder recorder([] { return qint64(0); });
    runner.addObserver(recorder);
    QTimer &timer = runner.tickTimer();
    run(QStringLiteral("beep\r\nclink;Late offers\r\nbeep"));
    tick(2);
    EXPECT_EQ(runner.status(), RunStatus::WaitingForElement);
    EXPECT_EQ(state.currentLine, 1) << "the waiting line stays the current one";
    EXPECT_TRUE(page.calls.isEmpty());
    EXPECT_FALSE(state.waitingForPage) << "no page is waited for before the click";
    EXPECT_EQ(host.statusTexts.constLast(), QStringLiteral("Waiting up to 10 s for the link \"Late offers\" on line 2"));
    EXPECT_GT(timer.interval(), 0);
    EXPECT_LE(timer.interval(), ElementWait::kLookIntervalMs);

    targetState = TargetState::NotReady; // there, but hidden or disabled
    tick();
    EXPECT_TRUE(page.calls.isEmpty());
    runner.documentChanged();
    EXPECT_EQ(timer.interval(), 0) << "a change is looked at at once";
    targetState = TargetState::Ready;
    tick();
    EXPECT_EQ(page.calls, QStringList{QStringLiteral("clickLink Late offers")});
    EXPECT_TRUE(state.waitingForPage);
    EXPECT_EQ(state.currentLine, 2);
    EXPECT_EQ(timer.interval(), ScriptRunner::kTickInterval) << "the pace before the wait again";
    EXPECT_EQ(looks.size(), 3);
    EXPECT_GE(recorder.lastLine()->elementWaitMs, 0);
    runner.removeObserver(recorder);
}

TEST_F(ElementWaits, APageThatCompletesIsLookedAtAtOnce)
{
    state.elementWaitMs = 10000;
    run(QStringLiteral("clickbutton;Search"));
    tick();
    ASSERT_EQ(runner.status(), RunStatus::WaitingForElement);
    runner.pageCompleted();
    EXPECT_EQ(runner.tickTimer().interval(), 0);
}

TEST_F(ElementWaits, ATargetThatNeverComesIsActedOnAsTodayOnceTheTimeIsUp)
{
    state.elementWaitMs = 1;
    run(QStringLiteral("fill;q;x\r\nbeep"));
    tick();
    ASSERT_EQ(runner.status(), RunStatus::WaitingForElement);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    tick();
    EXPECT_EQ(page.calls, QStringList{QStringLiteral("fillByName q x")}) << "the action's own rules for a missing field";
    tick();
    EXPECT_EQ(host.beeps, 1);
}

TEST_F(ElementWaits, StrictLookupThatStillFailsNamesTheTimeWaited)
{
    state.elementWaitMs = 1;
    state.strictLookups = true;
    RunRecorder recorder([] { return qint64(0); });
    runner.addObserver(recorder);
    run(QStringLiteral("clink;Nxt"));
    tick();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    page.duringCall = [] { throw ScriptError(StrictLookupFailed, QStringLiteral("no link with the text \"Nxt\"")); };
    tick();
    EXPECT_EQ(runner.status(), RunStatus::Halted);
    EXPECT_TRUE(recorder.lastLine()->message.startsWith(QStringLiteral("no link with the text \"Nxt\" (waited 0.0")))
        << recorder.lastLine()->message.toStdString();
    runner.removeObserver(recorder);
}

TEST_F(ElementWaits, StopResetAndAFailedLookEndOrKeepTheWait)
{
    state.elementWaitMs = 10000;
    run(QStringLiteral("clickelementbyid;go;false"));
    tick();
    ASSERT_EQ(runner.status(), RunStatus::WaitingForElement);
    browser.recorder->page = nullptr;
    page.lookForTarget = [](const ActionTarget &) -> TargetState { throw ScriptError(ObjectNotSet); };
    tick();
    EXPECT_EQ(runner.status(), RunStatus::WaitingForElement) << "between two pages there is nothing to look at yet";
    EXPECT_EQ(browser.attaches, 0);
    runner.stop();
    EXPECT_EQ(runner.status(), RunStatus::Stopped);
    EXPECT_FALSE(runner.elementWait());
    EXPECT_EQ(runner.tickTimer().interval(), ScriptRunner::kTickInterval);
    EXPECT_TRUE(page.calls.isEmpty());
}

// A browser answers in a nested event loop: a tick that comes there looks no second time, and a
// Stop there ends the wait for good.
TEST_F(ElementWaits, ATickOrAStopWhileTheBrowserIsAskedLeavesTheWaitSound)
{
    state.elementWaitMs = 10000;
    run(QStringLiteral("clink;Late offers"));
    tick();
    ASSERT_EQ(runner.status(), RunStatus::WaitingForElement);
    int nestedLooks = 0;
    page.lookForTarget = [&](const ActionTarget &) {
        if (nestedLooks++ == 0)
            runner.tick();
        return TargetState::Ready;
    };
    tick();
    EXPECT_EQ(nestedLooks, 1);
    EXPECT_EQ(page.calls, QStringList{QStringLiteral("clickLink Late offers")});

    state.waitingForPage = false; // as the page's completion would
    run(QStringLiteral("clink;Late offers"));
    page.lookForTarget = [](const ActionTarget &) { return TargetState::Missing; };
    tick();
    ASSERT_EQ(runner.status(), RunStatus::WaitingForElement);
    page.lookForTarget = [&](const ActionTarget &) {
        runner.stop();
        return TargetState::Ready;
    };
    tick();
    EXPECT_EQ(runner.status(), RunStatus::Stopped);
    EXPECT_EQ(page.calls.size(), 1) << "a stopped run does not act";
}

TEST_F(ElementWaits, TheConditionIsTestedOnceAndOnlyItsActionWaits)
{
    state.elementWaitMs = 10000;
    browser.recorder->page = std::make_shared<BodyOnlyDocument>(QStringLiteral("<p>Offers</p>"));
    run(QStringLiteral("if;offers;clink;Late offers"));
    tick();
    ASSERT_EQ(runner.status(), RunStatus::WaitingForElement);
    browser.recorder->page = std::make_shared<BodyOnlyDocument>(QStringLiteral("<p>changed</p>"));
    targetState = TargetState::Ready;
    tick();
    EXPECT_EQ(page.calls, QStringList{QStringLiteral("clickLink Late offers")});
}

// Each word that seeks an element names the element its action looks for; others never look.
TEST_F(ElementWaits, EveryWordLooksForWhatItsActionSeeks)
{
    state.elementWaitMs = 10000;
    targetState = TargetState::Ready;
    const std::vector<std::pair<QString, QString>> cases{
        {"clink;A", "the link \"A\""},
        {"clinknew;A", "the link \"A\""},
        {"fill;q;v", "the field named \"q\""},
        {"fillappend;q;v", "the field named \"q\""},
        {"fillclass;c;v", "the element with the class \"c\""},
        {"fillbyid;i;v", "the field with the id \"i\""},
        {"fillappendbyid;i;v", "the field with the id \"i\""},
        {"clickbutton;Go", "the button \"Go\""},
        {"clickbutton;Go;true", "the button \"Go\""},
        {"clickbuttonbyname;n", "the element named \"n\""},
        {"clickitem;3", "the element at position 3"},
        {"clickitem;agree;1", "the element named \"agree\" at position 1"},
        {"clickinputimg;http://a/go.gif", "the image input \"http://a/go.gif\""},
        {"clickelementbyid;i;false", "the element with the id \"i\""},
        {"if;;clickitem;agree;2", "the element named \"agree\" at position 2"},
        {"not;zzz;fill;q;0;v", "the field named \"q\""},
        {"clickbutton;Go;true;x", ""},
        {"clickclass;c", ""},
        {"nav;http://a/", ""},
        {"waitfor;x;0", ""},
    };
    browser.recorder->page = std::make_shared<BodyOnlyDocument>(QStringLiteral("<p>x</p>"));
    for (const auto &[line, target] : cases) {
        looks.clear();
        runner.resetRun();
        state.waitingForPage = false;
        run(line);
        tick();
        EXPECT_EQ(looks, target.isEmpty() ? QStringList{} : QStringList{target}) << line.toStdString();
    }
}

TEST(ElementWaitSeconds, AreReadAsACountOfSecondsWithinBounds)
{
    EXPECT_EQ(elementWaitMs(QStringLiteral("10")), 10000);
    EXPECT_EQ(elementWaitMs(QStringLiteral("0")), 0);
    EXPECT_EQ(elementWaitMs(QStringLiteral(" 2.5 ")), 2500);
    EXPECT_EQ(elementWaitMs(QStringLiteral("3600")), 3600000);
    for (const char *bad : {"-1", "3601", "ten", "", "nan", "inf", "1e400"})
        EXPECT_FALSE(elementWaitMs(QString::fromLatin1(bad))) << bad;
    EXPECT_EQ(secondsText(10000), QStringLiteral("10"));
    EXPECT_EQ(secondsText(1500), QStringLiteral("1.5"));
}

} // namespace
