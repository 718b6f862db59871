#include "EngineDoubles.h"
#include "QtPrinters.h"
#include "RecordingHost.h"

#include "engine/CommandWords.h"
#include "engine/LoadWatch.h"
#include "engine/RunRecorder.h"
#include "engine/RunState.h"
#include "engine/ScriptRunner.h"
#include "engine/TextWait.h"

#include <gtest/gtest.h>

namespace {

class Runner : public ::testing::Test {
protected:
    Runner()
    {
        // As the real connection does: attaching starts with Reset.
        browser.onAttach = [this] { runner.resetRun(); };
    }

    void run(const QString &script) { runner.runScript(script); }
    // Ticks as the timer would: only while it is enabled.
    void tick(int count = 1)
    {
        for (int i = 0; i < count && timerOn(); ++i)
            runner.tick();
    }
    void setBody(const QString &html) { browser.recorder->page = std::make_shared<BodyOnlyDocument>(html); }
    [[nodiscard]] bool timerOn() { return runner.tickTimer().isActive(); }
    [[nodiscard]] QStringList navigations() const { return browser.recorder->calls; }

    RunState state;
    RecordingHost host;
    RecordingBrowserAccess browser;
    RecordingPageActions page{browser};
    ScriptRunner runner{state, host, browser, page};
};

TEST_F(Runner, OneLineScriptRunsAndFinishesInTheSameTick)
{
    run(QStringLiteral("beep"));
    EXPECT_TRUE(timerOn());
    tick();
    EXPECT_EQ(host.beeps, 1);
    EXPECT_EQ(host.statusTexts, (QStringList{"Executing Script, Line ( 1 )", "Finished Executing "}));
    EXPECT_FALSE(timerOn());
    EXPECT_EQ(state.currentLine, 0);
    EXPECT_FALSE(state.executingLine);
    EXPECT_EQ(host.closeRequests, 0);
}

TEST_F(Runner, TextEndingInCrLfParksOnTheEmptyLastLineAndNeverFinishes)
{
    state.exitWhenFinished = true;
    run(QStringLiteral("beep\r\n"));
    tick(5);
    EXPECT_EQ(host.beeps, 1);
    EXPECT_EQ(state.currentLine, 1);
    EXPECT_TRUE(timerOn());
    EXPECT_FALSE(host.statusTexts.contains(QStringLiteral("Finished Executing ")));
    EXPECT_EQ(host.closeRequests, 0);
    EXPECT_EQ(runner.status(), RunStatus::Parked);
}

TEST_F(Runner, RunIsParkedOnlyOnceThePageBeforeTheEmptyLineHasCompleted)
{
    run(QStringLiteral("nav;http://a/\r\n\r\nnav;http://b/"));
    tick();
    EXPECT_EQ(state.currentLine, 1);
    EXPECT_EQ(runner.status(), RunStatus::WaitingForPage) << "the page of line 1 is still loading";
    state.waitingForPage = false;
    tick(3);
    EXPECT_EQ(runner.status(), RunStatus::Parked);
    EXPECT_EQ(navigations(), QStringList{QStringLiteral("Navigate http://a/")});
}

TEST_F(Runner, CommandWordsIgnoreCaseButNotBlanks)
{
    run(QStringLiteral("NAV;http://a/\r\n nav;http://b/\r\nnav ;http://c/\r\n;nav\r\n   \r\nNaV;  http://d/"));
    for (int i = 0; i < 6; ++i) {
        state.waitingForPage = false; // as the page's completion would
        tick();
    }
    EXPECT_EQ(navigations(), (QStringList{"Navigate http://a/", "Navigate   http://d/"}));
    EXPECT_FALSE(timerOn());
}

TEST_F(Runner, NavigationWaitsForThePageButTheLastLineFinishesAtOnce)
{
    state.exitWhenFinished = true;
    run(QStringLiteral("nav;http://a/\r\nbeep\r\nnav;http://b/"));
    tick();
    EXPECT_TRUE(state.waitingForPage);
    tick(3);
    EXPECT_EQ(host.beeps, 0) << "no line runs while the page loads";
    state.waitingForPage = false;
    tick();
    EXPECT_EQ(host.beeps, 1);
    tick();
    EXPECT_EQ(navigations().last(), QStringLiteral("Navigate http://b/"));
    EXPECT_FALSE(timerOn());
    EXPECT_EQ(host.closeRequests, 1);
}

TEST_F(Runner, ZeroTickIdlesThroughPageWaitsAndResumesWhenThePageCompletes)
{
    QTimer &timer = runner.tickTimer();
    timer.setInterval(0);
    run(QStringLiteral("nav;http://a/\r\nbeep\r\nnav;http://b/\r\nbeep\r\nbeep"));
    tick(2);
    EXPECT_TRUE(state.waitingForPage);
    EXPECT_EQ(timer.interval(), ScriptRunner::kTickInterval);
    EXPECT_TRUE(timer.isActive());
    tick();
    EXPECT_EQ(timer.interval(), ScriptRunner::kTickInterval);

    state.waitingForPage = false;
    runner.pageCompleted();
    EXPECT_EQ(timer.interval(), 0);
    tick(3);
    EXPECT_EQ(host.beeps, 1);
    EXPECT_EQ(timer.interval(), ScriptRunner::kTickInterval);

    // A wait that ends without a page brings the chosen pace back at the next tick.
    runner.resetRun();
    tick();
    EXPECT_EQ(timer.interval(), 0);
    EXPECT_EQ(navigations(), (QStringList{"Navigate http://a/", "Navigate http://b/", "Navigate http://a/"}));

    // A run at its usual pace keeps it, and a completion it did not wait for changes nothing.
    timer.setInterval(ScriptRunner::kTickInterval);
    runner.pageCompleted();
    tick(2);
    EXPECT_EQ(timer.interval(), ScriptRunner::kTickInterval);
}

TEST_F(Runner, PageCommandsReadTheirFieldsAsTheTableSays)
{
    run(QStringLiteral("clickbutton\r\nclickbutton;Go\r\nclickbutton;Go;true\r\nclickbutton;Go;0\r\n"
                       "clickbutton;Go;1;x\r\nclickitem;3\r\nclickitem;q;1\r\nclickitem;2.5\r\n"
                       "fill; name ; value \r\nfillappend;n;v\r\nfillclass;c;t\r\nfillbyid;i;v\r\n"
                       "fillappendbyid;i;v\r\nclickelementbyid;e;false\r\nclickelementbyname;n;-1\r\n"
                       "clickinputimg;http://x/a.gif\r\nclinknew;More\r\nback\r\nstopie\r\nquitie"));
    tick(20);
    EXPECT_EQ(page.calls, (QStringList{"clickButton Go false", "clickButton Go true", "clickButton Go false",
                                       "clickItem 3", "clickItem 1 q", "clickItem 2", "fillByName  name   value",
                                       "appendByName n v", "fillByClass c t", "fillById i v", "appendById i v",
                                       "clickElementById e false", "clickElementByName n true",
                                       "clickImageInput http://x/a.gif", "clickLinkInNewWindow More"}));
    EXPECT_EQ(navigations(), (QStringList{"GoBack", "Stop", "Quit"}));
    EXPECT_FALSE(state.waitingForPage) << "none of these lines sets the page wait by itself";
    EXPECT_FALSE(timerOn());
}

TEST_F(Runner, LinkAndClickCommandsSetThePageWaitBeforeTheCall)
{
    for (const QString &line : {QStringLiteral("clink;Next"), QStringLiteral("clickbuttonbyname;go"),
                               QStringLiteral("clickclass;x")}) {
        bool waitingAtCall = false;
        page.duringCall = [&] { waitingAtCall = state.waitingForPage; };
        state.waitingForPage = false;
        run(line);
        tick();
        EXPECT_TRUE(waitingAtCall) << line.toStdString();
    }
}

TEST_F(Runner, SleepHoldsItsLineUntilTheTimerTicksAgainWithoutBlocking)
{
    QTimer &timer = runner.tickTimer();
    setBody(QStringLiteral("x"));
    run(QStringLiteral("sleep;0\r\nsleep;-5\r\nsleep;250\r\nbeep\r\nif;x;sleep;1.5\r\nbeep\r\nsleep;abc"));
    tick(3);
    EXPECT_EQ(runner.status(), RunStatus::Sleeping);
    EXPECT_EQ(timer.interval(), 250) << "the next tick ends the sleep";
    EXPECT_EQ(state.currentLine, 2) << "the sleeping line stays the current one";
    EXPECT_EQ(host.lastStatus(), QStringLiteral("Executing Script, Line ( 3 )"));
    tick();
    EXPECT_EQ(timer.interval(), ScriptRunner::kTickInterval);
    EXPECT_EQ(host.beeps, 0) << "the line after the sleep runs at the tick after its end";
    tick(2);
    EXPECT_EQ(host.beeps, 1);
    EXPECT_EQ(timer.interval(), 2);
    runner.resetRun();
    EXPECT_EQ(timer.interval(), ScriptRunner::kTickInterval) << "Reset ends a sleep";
    EXPECT_EQ(runner.status(), RunStatus::Ready);
    tick(9);
    EXPECT_TRUE(host.sleeps.empty()) << "the host's blocking sleep is left to the browser search";
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, QStringLiteral("13: Type mismatch"));
}

TEST_F(Runner, StrictRunHaltsOnAnUnknownWordButNotOnCommentsOrKnownWords)
{
    RunRecorder recorder([] { return qint64(0); });
    runner.addObserver(recorder);
    state.strictLookups = true;
    for (const QString &word : topLevelWords()) {
        runner.resetRun();
        run(word + QStringLiteral(";1;beep"));
        tick();
        ASSERT_TRUE(recorder.lastLine());
        EXPECT_NE(recorder.lastLine()->errorNumber, std::optional<int>(StrictLookupFailed)) << word.toStdString();
    }
    browser.recorder->closed = false; // "quitie" closed it
    host.messages.clear();
    setBody(QStringLiteral("x"));
    runner.resetRun();
    run(QStringLiteral("rem;a comment\r\n;another\r\nREM\r\nif;x;clickclass;y"));
    tick(4);
    EXPECT_EQ(runner.status(), RunStatus::Halted);
    EXPECT_EQ(recorder.lastLine()->line, 4);
    EXPECT_TRUE(recorder.lastLine()->message.startsWith(QStringLiteral("unknown action \"clickclass\" (nearest: ")))
        << recorder.lastLine()->message.toStdString();
    EXPECT_TRUE(host.messages.empty()) << "the host that asked for strict lookups reports the halt";
}

TEST_F(Runner, MissingFieldHaltsWithTheMessageUntilReset)
{
    run(QStringLiteral("beep\r\nfill;onlyname\r\nbeep"));
    tick(4);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, QStringLiteral("9: Subscript out of range"));
    EXPECT_EQ(host.messages[0].title, QStringLiteral("TimerNav.Timer"));
    EXPECT_EQ(host.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(host.messages[0].buttons, MessageButtons::OkHelp);
    EXPECT_EQ(host.beeps, 1);
    EXPECT_EQ(state.currentLine, 1);
    EXPECT_TRUE(state.executingLine);
    EXPECT_TRUE(timerOn());

    run(QStringLiteral("beep"));
    tick(2);
    EXPECT_EQ(host.beeps, 1) << "Run alone does not clear a halt";

    runner.resetRun();
    tick();
    EXPECT_EQ(host.beeps, 2) << "Reset starts again at line 1 at once";
}

TEST_F(Runner, TrappedErrorsHaltReattachOrStaySilentByNumber)
{
    const struct {
        int number;
        bool message;
        bool reattaches;
    } cases[] = {{Overflow, true, false}, {TypeMismatch, true, false}, {438, true, false},
                 {ObjectNotSet, false, true}, {RemoteUnavailable, false, true}, {-2147467259, false, false}};
    for (const auto &testCase : cases) {
        SCOPED_TRACE(testCase.number);
        host.messages.clear();
        browser.attaches = 0;
        runner.resetRun();
        run(QStringLiteral("beep\r\nfill;a;b\r\nbeep"));
        tick();
        page.failWith = testCase.number;
        tick();
        EXPECT_EQ(host.messages.size(), testCase.message ? 1u : 0u);
        EXPECT_EQ(browser.attaches, testCase.reattaches ? 1 : 0);
        if (testCase.reattaches) {
            EXPECT_EQ(state.currentLine, 0);
            EXPECT_FALSE(state.executingLine);
            EXPECT_TRUE(timerOn()) << "the script starts again from line 1";
        } else {
            EXPECT_EQ(state.currentLine, 1);
            EXPECT_TRUE(state.executingLine);
        }
    }
}

TEST_F(Runner, ScriptLongerThanTheLineCounterHaltsWithOverflow)
{
    QStringList lines;
    for (int i = 0; i < 32770; ++i)
        lines << QStringLiteral("beep");
    run(lines.join(QStringLiteral("\r\n")));
    tick(32768);
    EXPECT_EQ(host.beeps, 32768);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_TRUE(host.messages.front().text.contains(QStringLiteral("Overflow"))) << host.messages.front().text.toStdString();
    EXPECT_EQ(state.currentLine, 32767);
    tick(3);
    EXPECT_EQ(host.beeps, 32768) << "the run stays halted";
}

TEST_F(Runner, TopLevelGotoJumpsFinishesOrReportsAWord)
{
    run(QStringLiteral("beep\r\ngoto;abc\r\nbeep"));
    tick(3);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text,
              QStringLiteral("Invalid parameter passed on line 1. GoTo;<Line #> Numbers instead of <Line #>!"));
    EXPECT_EQ(host.messages[0].title, QStringLiteral("Error"));
    EXPECT_EQ(host.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(host.beeps, 2) << "the run goes on after the message";
    EXPECT_FALSE(timerOn());

    host.beeps = 0;
    run(QStringLiteral("beep\r\ngoto;4\r\nbeep"));
    tick(2);
    EXPECT_FALSE(timerOn()) << "goto to the number of lines + 1 ends the run";
    EXPECT_EQ(host.beeps, 1);

    host.beeps = 0;
    run(QStringLiteral("beep\r\ngoto; 1 "));
    tick(9);
    EXPECT_EQ(host.beeps, 5) << "goto 1 on the last line loops";
    EXPECT_TRUE(timerOn());
}

TEST_F(Runner, GotoOutsideTheScriptHaltsWithSubscriptOutOfRange)
{
    for (const QString &script : {QStringLiteral("goto;0\r\nbeep"), QStringLiteral("goto;9\r\nbeep"),
                                 QStringLiteral("goto;-40000")}) {
        SCOPED_TRACE(script.toStdString());
        host.messages.clear();
        runner.resetRun();
        run(script);
        tick(3);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_TRUE(host.messages[0].text == QStringLiteral("9: Subscript out of range")
                    || host.messages[0].text == QStringLiteral("6: Overflow"));
        EXPECT_EQ(host.beeps, 0);
    }
}

// The line that failed is the "goto" that left the script: no line past the end is begun.
TEST_F(Runner, GotoPastTheEndIsTheFailureOfTheGotoLine)
{
    RunRecorder recorder([] { return qint64(0); });
    runner.addObserver(recorder);
    run(QStringLiteral("beep\r\ngoto;9"));
    tick(3);
    ASSERT_TRUE(recorder.lastLine());
    EXPECT_EQ(recorder.lastLine()->line, 2);
    EXPECT_EQ(recorder.lastLine()->text, QStringLiteral("goto;9"));
    EXPECT_EQ(recorder.lastLine()->outcome, LineOutcome::Halted);
    EXPECT_EQ(recorder.lastLine()->errorNumber, std::optional<int>(SubscriptOutOfRange));
    EXPECT_EQ(recorder.finish(2, {}, false).linesRun, 2);
}

TEST_F(Runner, AssertAndRefuteHaltWithAMessageNamingTheLineTheTextAndTheAddress)
{
    RunRecorder recorder([] { return qint64(0); });
    runner.addObserver(recorder);
    browser.recorder->address = QStringLiteral("http://a/");
    setBody(QStringLiteral("<h1>Welcome</h1>"));
    run(QStringLiteral("assert;WELCOME\r\nrefute;Goodbye\r\nbeep\r\nassert;Goodbye\r\nbeep"));
    tick(6);
    EXPECT_EQ(runner.status(), RunStatus::Halted);
    EXPECT_EQ(host.beeps, 1);
    EXPECT_TRUE(host.messages.empty()) << "the host reports a failed check";
    EXPECT_EQ(recorder.lastLine()->message, QStringLiteral("assert failed on line 4: \"Goodbye\" is not on the page (http://a/)"));
    EXPECT_EQ(recorder.lastLine()->errorNumber, std::optional<int>(CheckFailed));

    runner.resetRun();
    run(QStringLiteral("refute;welcome"));
    tick();
    EXPECT_EQ(recorder.lastLine()->message, QStringLiteral("refute failed on line 1: \"welcome\" is on the page (http://a/)"));

    setBody(QString());
    runner.resetRun();
    run(QStringLiteral("refute;\r\nassert;"));
    tick(2);
    EXPECT_EQ(recorder.lastLine()->line, 2) << "an empty body holds nothing, not even the empty text";
    EXPECT_EQ(runner.status(), RunStatus::Halted);

    runner.resetRun();
    run(QStringLiteral("assert"));
    tick();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, QStringLiteral("9: Subscript out of range"));
}

TEST_F(Runner, WaitforLooksAtEachPageAndOnTheTimerUntilTheTextComesOrItsTimeIsUp)
{
    RunRecorder recorder([] { return qint64(0); });
    runner.addObserver(recorder);
    QTimer &timer = runner.tickTimer();
    setBody(QStringLiteral("<p>loading</p>"));
    run(QStringLiteral("waitfor;Done;5\r\nbeep"));
    tick();
    EXPECT_EQ(runner.status(), RunStatus::WaitingForText);
    EXPECT_EQ(state.currentLine, 0) << "the waiting line stays the current one";
    EXPECT_GT(timer.interval(), 0);
    EXPECT_LE(timer.interval(), TextWait::kLookIntervalMs);
    browser.recorder->page = nullptr;
    tick();
    EXPECT_EQ(runner.status(), RunStatus::WaitingForText) << "between two pages there is nothing to read yet";
    EXPECT_EQ(browser.attaches, 0);
    setBody(QStringLiteral("<p>Done</p>"));
    runner.pageCompleted();
    EXPECT_EQ(timer.interval(), 0) << "a page that completes is looked at at once";
    tick();
    EXPECT_EQ(timer.interval(), ScriptRunner::kTickInterval);
    EXPECT_EQ(host.beeps, 0) << "the next line runs at the next tick";
    tick();
    EXPECT_EQ(host.beeps, 1);

    run(QStringLiteral("waitfor;Never;60"));
    tick();
    EXPECT_EQ(runner.status(), RunStatus::WaitingForText);
    runner.resetRun();
    EXPECT_EQ(runner.status(), RunStatus::Ready) << "Reset ends the wait";
    EXPECT_EQ(timer.interval(), ScriptRunner::kTickInterval);

    run(QStringLiteral("waitfor;Never;0\r\nbeep"));
    tick(3);
    EXPECT_EQ(runner.status(), RunStatus::Halted);
    EXPECT_EQ(host.beeps, 1);
    EXPECT_EQ(recorder.lastLine()->message, QStringLiteral("waitfor failed on line 1: \"Never\" is not on the page after 0 s ()"));

    runner.resetRun();
    run(QStringLiteral("waitfor;Done;soon"));
    tick();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, QStringLiteral("13: Type mismatch"));
}

// What the runner shows and tells its observers spells the text of "$$$" as the marker.
TEST_F(Runner, TheVariablesTextIsShownAsItsMarker)
{
    std::vector<LineRecord> records;
    RunRecorder recorder([] { return qint64(0); }, nullptr, [&records](const LineRecord &record) { records.push_back(record); });
    runner.addObserver(recorder);
    host.inputAnswer = QStringLiteral("S3cret");
    setBody(QStringLiteral("<p>x</p>"));
    run(QStringLiteral("fill;pw;$$$\r\nassert;$$$ and more"));
    tick(2);
    EXPECT_EQ(page.calls, QStringList{QStringLiteral("fillByName pw S3cret")}) << "the page gets the text itself";
    (void)recorder.finish(2, {}, false);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].text, QStringLiteral("fill;pw;$$$"));
    EXPECT_EQ(records[1].message, QStringLiteral("assert failed on line 2: \"$$$ and more\" is not on the page ()"));
    EXPECT_EQ(state.variableText, QStringLiteral("S3cret"));
}

TEST_F(Runner, LoadWatchKeepsThePagesThatDidNotLoadWithTheirLine)
{
    LoadWatch passing(browser, LoadWatch::Statuses::Pass);
    LoadWatch failing(browser, LoadWatch::Statuses::Fail);
    runner.addObserver(passing);
    runner.addObserver(failing);
    run(QStringLiteral("nav;http://a/\r\nnav;http://b/"));
    tick();
    browser.recorder->address = QStringLiteral("http://a/");
    browser.recorder->status = 404;
    state.waitingForPage = false;
    runner.pageCompleted();
    tick();
    browser.recorder->address = QStringLiteral("http://b/");
    browser.recorder->status = 0;
    browser.recorder->failure = QStringLiteral("Connection refused");
    state.waitingForPage = false;
    runner.pageCompleted();
    runner.pageCompleted(); // a browser may complete its error page twice

    ASSERT_EQ(passing.failures().size(), 1);
    EXPECT_EQ(passing.failures()[0].line, 2);
    EXPECT_EQ(passing.failures()[0].text, QStringLiteral("nav;http://b/"));
    EXPECT_EQ(passing.failures()[0].address, QStringLiteral("http://b/"));
    EXPECT_EQ(passing.failures()[0].reason, QStringLiteral("Connection refused"));
    ASSERT_EQ(failing.failures().size(), 2);
    EXPECT_EQ(failing.failures()[0].reason, QStringLiteral("HTTP status 404"));
}

TEST_F(Runner, EmptyScriptFinishesAtTheFirstTick)
{
    run(QString());
    EXPECT_TRUE(timerOn());
    tick();
    EXPECT_FALSE(timerOn());
    EXPECT_EQ(host.lastStatus(), QStringLiteral("Finished Executing "));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(Runner, ConditionalLinesSearchTheBodyHtmlIgnoringCase)
{
    setBody(QStringLiteral("<a href=\"/Login?next=1\">Sign in</a>"));
    run(QStringLiteral("if;LOGIN?NEXT;beep\r\nnot;login;beep\r\nnot;logout;clickitem;q;2\r\nif;sign in;clickitem;3\r\n"
                       "if;zzz;nav;x;notanumber\r\nif;sign;nav;http://x/#top;0\r\nif;;clinknew\r\n"
                       "if;sign;fill;user;0;alice\r\nif;sign;fill;user"));
    for (int line = 0; line < 9; ++line) {
        state.waitingForPage = false;
        tick();
    }
    EXPECT_EQ(host.beeps, 1);
    EXPECT_EQ(page.calls, (QStringList{"clickItem 2 q", "clickItem 3", "clickLinkInNewWindow", "fillByName user alice",
                                       "fillByName user"}));
    EXPECT_EQ(navigations(), (QStringList{"Navigate http://x/#top"}));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(Runner, ConditionalActionsWaitForThePageAfterNavigatingActions)
{
    setBody(QStringLiteral("x"));
    for (const QString &line : {QStringLiteral("if;x;nav;http://a/"), QStringLiteral("if;x;clink;A"),
                               QStringLiteral("if;x;clickbutton;Go"), QStringLiteral("if;x;clickbuttonbyname;b")}) {
        state.waitingForPage = false;
        run(line + QStringLiteral("\r\nbeep"));
        tick();
        EXPECT_TRUE(state.waitingForPage) << line.toStdString();
    }
    EXPECT_EQ(page.calls.at(1), QStringLiteral("clickButton Go false"));
}

TEST_F(Runner, ConditionalActionsDoNotWaitForAPageThatCompletedWhileTheyRan)
{
    setBody(QStringLiteral("x"));
    // As a backend whose calls wait in event loops may deliver a quick page's whole load.
    const auto completeThePage = [this] {
        state.waitingForPage = false;
        ++state.pagesCompleted;
    };
    browser.recorder->duringNavigate = completeThePage;
    page.duringCall = completeThePage;
    for (const QString &line : {QStringLiteral("if;x;nav;http://a/"), QStringLiteral("not;y;clink;A"),
                               QStringLiteral("if;x;clickbutton;Go"), QStringLiteral("if;x;clickbuttonbyname;b")}) {
        const int beepsBefore = host.beeps;
        run(line + QStringLiteral("\r\nbeep"));
        tick();
        EXPECT_FALSE(state.waitingForPage) << line.toStdString();
        tick();
        EXPECT_EQ(host.beeps, beepsBefore + 1) << line.toStdString();
    }
}

TEST_F(Runner, ConditionalFailuresComeOnlyWhenTheActionRuns)
{
    setBody(QStringLiteral("<p>hello</p>"));
    const struct {
        QString line;
        QString message;
    } cases[] = {
        {QStringLiteral("if;hello;nav;x;abc"), QStringLiteral("13: Type mismatch")},
        {QStringLiteral("if;hello;goto;abc"), QStringLiteral("13: Type mismatch")},
        {QStringLiteral("if;hello"), QStringLiteral("9: Subscript out of range")},
        {QStringLiteral("if;hello;sleep;x"), QStringLiteral("13: Type mismatch")},
        {QStringLiteral("not;hello;nav;x;abc"), QString()},
        {QStringLiteral("if;hello;unknownaction;x;1"), QString()},
    };
    for (const auto &testCase : cases) {
        host.messages.clear();
        runner.resetRun();
        run(testCase.line);
        tick();
        if (testCase.message.isEmpty()) {
            EXPECT_TRUE(host.messages.empty()) << testCase.line.toStdString();
        } else {
            ASSERT_EQ(host.messages.size(), 1u) << testCase.line.toStdString();
            EXPECT_EQ(host.messages[0].text, testCase.message);
        }
    }
}

TEST_F(Runner, MissingDocumentOrBrowserReattachesAndRestarts)
{
    browser.recorder->page.reset();
    run(QStringLiteral("beep\r\nif;x;beep"));
    tick(2);
    EXPECT_EQ(browser.attaches, 1);
    EXPECT_EQ(state.currentLine, 0);
    EXPECT_TRUE(timerOn());

    browser.recorder->closed = true; // the user closed the browser
    tick(2);
    EXPECT_EQ(browser.attaches, 2);
    EXPECT_EQ(host.beeps, 2);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(Runner, NoLineRunsWhileTheLostBrowserIsAttachedAgain)
{
    // An attach may wait in event loops, where the timer goes on ticking.
    int nestedAttaches = 0;
    browser.onAttach = [&] {
        runner.resetRun();
        if (browser.attaches == 1) {
            tick(3);
            nestedAttaches = browser.attaches - 1;
        }
    };
    browser.recorder->closed = true;
    run(QStringLiteral("beep\r\nnav;http://a/"));
    tick(2);
    EXPECT_EQ(nestedAttaches, 0);
    EXPECT_EQ(host.beeps, 1) << "the ticks inside the attach ran nothing";
    browser.recorder->closed = false;
    tick(2);
    EXPECT_EQ(host.beeps, 2) << "after the attach the script starts again at line 1";
}

TEST_F(Runner, ConditionalStopscriptStopsTheRunAndBeeps)
{
    setBody(QStringLiteral("done"));
    run(QStringLiteral("if;done;stopscript"));
    tick();
    EXPECT_FALSE(timerOn());
    EXPECT_EQ(host.beeps, 1);
    EXPECT_EQ(host.lastStatus(), QStringLiteral("Finished Executing "));

    host.statusTexts.clear();
    run(QStringLiteral("stopscript\r\nif;done;stopscript\r\nbeep"));
    tick(3);
    EXPECT_FALSE(timerOn());
    EXPECT_EQ(host.beeps, 2) << "the top-level word does nothing; the conditional one beeps once";
    EXPECT_EQ(host.lastStatus(), QStringLiteral("Executing Script, Line ( 2 )"));
    EXPECT_FALSE(state.executingLine);
    runner.resetRun();
    EXPECT_FALSE(timerOn()) << "Reset does not restart a stopped run";
}

TEST_F(Runner, ResetRewindsEveryStateAndKeepsTheTimerAsItWas)
{
    // Stopped.
    runner.resetRun();
    EXPECT_FALSE(timerOn());
    EXPECT_EQ(state.currentLine, 0);

    // Waiting for a page.
    run(QStringLiteral("beep\r\nnav;http://a/\r\nbeep"));
    tick(2);
    ASSERT_TRUE(state.waitingForPage);
    runner.resetRun();
    EXPECT_TRUE(timerOn());
    EXPECT_FALSE(state.waitingForPage);
    EXPECT_EQ(state.currentLine, 0);
    tick();
    EXPECT_EQ(host.beeps, 2);

    // Parked on an empty line.
    run(QStringLiteral("beep\r\n"));
    tick(3);
    runner.resetRun();
    tick();
    EXPECT_EQ(host.beeps, 4);

    // Reset reuses the prepared lines: the variable is not asked again.
    host.inputAnswer = QStringLiteral("v");
    run(QStringLiteral("fill;q;$$$\r\n"));
    tick();
    runner.resetRun();
    tick();
    EXPECT_EQ(host.prompts.size(), 1);
    EXPECT_EQ(page.calls, (QStringList{"fillByName q v", "fillByName q v"}));
}

TEST_F(Runner, VariableIsAskedOnceWithTheClipboardAndCancelRemovesTheMarkers)
{
    host.clipboard = QStringLiteral("from clipboard");
    host.inputAnswer = QStringLiteral("cats");
    run(QStringLiteral("fill;q;$$$\r\nfill;r;$$$$\r\nbeep"));
    EXPECT_EQ(host.prompts, (QStringList{"What is the string variable?|Set Variable|from clipboard"}));
    tick(3);
    EXPECT_EQ(page.calls, (QStringList{"fillByName q cats", "fillByName r cats$"}));

    host.inputAnswer.clear(); // Cancel
    page.calls.clear();
    run(QStringLiteral("fill;q;a$$$b"));
    tick();
    EXPECT_EQ(page.calls, (QStringList{"fillByName q ab"}));

    host.prompts.clear();
    run(QStringLiteral("beep"));
    EXPECT_TRUE(host.prompts.isEmpty());
}

TEST_F(Runner, RunDuringARunNeverExecutesALineWithItsMarkerStillIn)
{
    host.inputAnswer = QStringLiteral("x");
    run(QStringLiteral("fill;old;1\r\nfill;old;2\r\nfill;old;3"));
    host.duringInputBox = [this] { tick(); }; // the old run ticks while the prompt is open
    run(QStringLiteral("fill;new;$$$"));
    tick();
    for (const QString &call : page.calls)
        EXPECT_FALSE(call.contains(QStringLiteral("$$$"))) << call.toStdString();
    EXPECT_EQ(page.calls.last(), QStringLiteral("fillByName new x"));
}

TEST_F(Runner, NestedTickDuringAMessageBoxReturnsAtTheGuard)
{
    int nestedBeeps = -1;
    host.duringMessageBox = [&] {
        tick(3);
        nestedBeeps = host.beeps;
    };
    run(QStringLiteral("goto;abc\r\nbeep"));
    tick();
    EXPECT_EQ(nestedBeeps, 0);
    tick();
    EXPECT_EQ(host.beeps, 1);
}

TEST_F(Runner, RandomMarkerReachesFieldsOneAndTwoOnly)
{
    setBody(QStringLiteral("5"));
    run(QStringLiteral("fill;#0#;#0.4#;#9#\r\nnav;http://x/#a\r\nbeep"));
    tick(2);
    EXPECT_EQ(page.calls, (QStringList{"fillByName 0 0"}));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, QStringLiteral("9: Subscript out of range"));
}

// The recorder makes one record per executed line once the line is done, with the page it
// waited for, and a summary of the run.
TEST_F(Runner, RecorderKeepsOneRecordPerExecutedLineWithItsPageAndOutcome)
{
    qint64 now = 1000;
    std::vector<LineRecord> records;
    RunRecorder recorder([&now] { return now; }, &browser, [&records](const LineRecord &record) { records.push_back(record); });
    runner.addObserver(recorder);
    run(QStringLiteral("nav;http://a/\r\nbeep\r\nfill;onlyname"));
    now = 1005;
    tick();
    now = 1020;
    browser.recorder->address = QStringLiteral("http://a/");
    browser.recorder->status = 404;
    state.waitingForPage = false;
    runner.pageCompleted();
    now = 1050;
    tick(2);
    const RunSummary summary = recorder.finish(2, QStringLiteral("halted"), false);

    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].line, 1);
    EXPECT_EQ(records[0].command, QStringLiteral("nav"));
    EXPECT_EQ(records[0].startMs, 5);
    EXPECT_EQ(records[0].pageWaitMs, 15);
    EXPECT_EQ(records[0].address, QStringLiteral("http://a/"));
    EXPECT_EQ(records[0].httpStatus, 404);
    EXPECT_EQ(records[0].outcome, LineOutcome::Ran);
    EXPECT_EQ(records[1].text, QStringLiteral("beep"));
    EXPECT_EQ(records[1].startMs, 50);
    EXPECT_EQ(records[2].outcome, LineOutcome::Halted);
    EXPECT_EQ(records[2].message, QStringLiteral("TimerNav.Timer: 9: Subscript out of range"));
    EXPECT_EQ(records[2].errorNumber, std::optional<int>(SubscriptOutOfRange));
    EXPECT_EQ(summary.linesRun, 3);
    EXPECT_EQ(summary.pagesLoaded, 1u);
    EXPECT_EQ(summary.totalMs, 50);
    EXPECT_EQ(summary.exitStatus, 2);
}

} // namespace
