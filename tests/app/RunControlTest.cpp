#include "AppTesting.h"
#include "QtWait.h"
#include "TestServer.h"

#include "app/RunLogView.h"
#include "app/ScriptEditor.h"
#include "browser/builtin/BuiltinWindow.h"
#include "browser/Automation.h"
#include "engine/ScriptRunner.h"
#include "library/EditorText.h"

#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTextBlock>

#include <atomic>

namespace {

int requestsFor(const TestServer &server, const std::string &path)
{
    int count = 0;
    for (const auto &request : server.pageRequests())
        count += request.path == path ? 1 : 0;
    return count;
}

} // namespace

class RunControlTest : public AppTest {
protected:
    ScriptEditor &editor() { return *window->findChild<ScriptEditor *>("scriptEditor"); }
    ScriptRunner &runner() { return window->automation().runner; }
    QString runPanel() { return window->findChild<QLabel *>("runPanel")->text(); }
    void clickGutterAt(int line)
    {
        const QTextBlock block = editor().document()->findBlockByNumber(line);
        const int y = int(editor().cursorRect(QTextCursor(block)).center().y());
        QTest::mouseClick(editor().gutter(), Qt::LeftButton, {}, QPoint(4, y));
    }
    bool pausedBefore(int line) { return runner().status() == RunStatus::Paused && runner().state().currentLine == line; }
};

TEST_F(RunControlTest, BreakpointsStepAndContinueFollowTheScriptLineByLine)
{
    TestServer &server = this->server();
    for (const char *path : {"/a", "/b", "/c"})
        server.page(path, std::string("<html><body>") + path + "</body></html>");
    start();
    setEditorText(editor(), "nav;" + server.url("/a") + "\r\nbeep\r\nnav;" + server.url("/b") + "\r\nbeep\r\nnav;" + server.url("/c"));
    clickGutterAt(2);
    EXPECT_EQ(editor().breakpoints(), QSet<int>{2});

    std::vector<int> highlighted;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (const auto line = editor().runLine(); line && (highlighted.empty() || highlighted.back() != *line))
            highlighted.push_back(*line);
    });
    probe.start(5);
    choose("runAction");
    ASSERT_TRUE(waitUntil([&] { return pausedBefore(2); }));
    EXPECT_EQ(requestsFor(server, "/a"), 1);
    EXPECT_EQ(requestsFor(server, "/b"), 0) << "the run holds before the breakpoint line";
    EXPECT_TRUE(waitUntil([&] { return runPanel() == "Paused before line 3"; })) << runPanel().toStdString();
    EXPECT_EQ(action("pauseAction").text(), "Contin&ue");
    spinEvents(50);
    EXPECT_EQ(highlighted, (std::vector<int>{0, 1, 2})) << "the highlight moves line by line";

    choose("stepAction"); // runs line 3 alone and waits for its page
    ASSERT_TRUE(waitUntil([&] { return pausedBefore(3); }));
    EXPECT_EQ(requestsFor(server, "/b"), 1);
    spinEvents(200);
    EXPECT_TRUE(pausedBefore(3)) << "a step runs exactly one line";
    choose("stepAction");
    ASSERT_TRUE(waitUntil([&] { return pausedBefore(4); }));

    choose("pauseAction"); // Continue
    ASSERT_TRUE(waitUntil([&] { return runner().status() == RunStatus::Stopped && requestsFor(server, "/c") == 1; }));
    EXPECT_EQ(panel1(), "Finished Executing ");
    EXPECT_TRUE(waitUntil([&] { return !editor().runLine(); }));

    // Step on a stopped run starts it and runs the first lines one at a time.
    editor().toggleBreakpoint(2);
    for (int line = 1; line <= 3; ++line) {
        choose("stepAction");
        ASSERT_TRUE(waitUntil([&] { return pausedBefore(line); })) << line;
    }
    EXPECT_EQ(requestsFor(server, "/a"), 2);
    EXPECT_EQ(requestsFor(server, "/b"), 2);
}

TEST_F(RunControlTest, StopDuringAPageWaitEndsTheRunAndKeepsTheEditor)
{
    TestServer &server = this->server();
    std::atomic<bool> release = false;
    server.handle("GET", "/slow", [&](const httplib::Request &, httplib::Response &response) {
        for (int i = 0; i < 500 && !release; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        response.set_content("<html><body>slow</body></html>", "text/html");
    });
    server.page("/after", "<html><body>after</body></html>");
    start();
    const QString script = "nav;" + server.url("/slow") + "\r\nnav;" + server.url("/after");
    setEditorText(editor(), script);
    choose("runAction");
    ASSERT_TRUE(waitUntil([&] { return runner().status() == RunStatus::WaitingForPage && requestsFor(server, "/slow") == 1; }));
    ASSERT_TRUE(waitUntil([&] { return runPanel() == "Waiting for the page of line 1"; }));
    choose("stopAction");
    EXPECT_EQ(runner().status(), RunStatus::Stopped);
    EXPECT_EQ(panel1(), "Stopped Executing Script") << "no line is executing any more";
    release = true;
    spinEvents(300);
    EXPECT_EQ(requestsFor(server, "/after"), 0);
    EXPECT_FALSE(attachedWindow().isBusy()) << "the load ended with the run";
    EXPECT_NE(attachedWindow().locationUrl(), server.url("/slow")) << "the page that was loading never replaces the shown one";
    EXPECT_EQ(window->editorText(), script);
    EXPECT_FALSE(editor().runLine());
}

TEST_F(RunControlTest, TheRunPausesWhereTheGutterShowsBreakpointsAfterEveryEdit)
{
    start();
    setEditorText(editor(), "beep\r\nbeep\r\nbeep\r\nbeep\r\nbeep\r\nbeep");
    clickGutterAt(3);
    // A line typed in at the top moves the dot, and the run pauses where the dot is now.
    editor().moveCursor(QTextCursor::Start);
    QTest::keyClicks(&editor(), "beep");
    QTest::keyClick(&editor(), Qt::Key_Return);
    EXPECT_EQ(editor().breakpoints(), QSet<int>{4});
    choose("runAction");
    ASSERT_TRUE(waitUntil([&] { return runner().status() == RunStatus::Paused; }));
    EXPECT_EQ(runner().state().currentLine, 4);
    choose("stopAction");

    // Retyped text has no dot left, and the run goes through.
    editor().selectAll();
    QTest::keyClicks(&editor(), "beep");
    QTest::keyClick(&editor(), Qt::Key_Return);
    QTest::keyClicks(&editor(), "beep");
    EXPECT_TRUE(editor().breakpoints().isEmpty());
    choose("runAction");
    EXPECT_TRUE(waitUntil([&] { return panel1() == "Finished Executing "; })) << panel1().toStdString();
}

TEST_F(RunControlTest, AHaltingLineIsMarkedWithItsErrorBesideTheMessageBox)
{
    start();
    setEditorText(editor(), "beep\r\ngoto;#3\r\nbeep");
    QString boxText;
    QMessageBox::Icon boxIcon = QMessageBox::NoIcon;
    ModalAnswers answers({[&](QWidget &dialog) {
        boxText = static_cast<QMessageBox &>(dialog).text();
        boxIcon = static_cast<QMessageBox &>(dialog).icon();
        EXPECT_EQ(editor().haltedLine(), 1) << "marked before the box is answered";
        pressMessageButton(dialog, QMessageBox::Ok);
    }});
    choose("runAction");
    ASSERT_TRUE(waitUntil([&] { return answers.answered() == 1; }));
    EXPECT_EQ(boxText, "9: Subscript out of range");
    EXPECT_EQ(boxIcon, QMessageBox::Critical) << "an error, not a notice";
    EXPECT_EQ(editor().haltedLine(), 1);
    EXPECT_EQ(runPanel(), "Halted");
    choose("resetAction");
    QTest::keyClicks(&editor(), "x");
    EXPECT_FALSE(editor().haltedLine()) << "an edit clears the mark";
}

TEST_F(RunControlTest, TheEditorColoursCommandsCommentsMarkersAndUnknownWords)
{
    start();
    setEditorText(editor(), "clink;Next\r\nclnk;Next\r\nrem;a comment\r\nif;found;clink;$$$\r\nif;found;clonk;x\r\nfill;q;#10#");
    const auto formatAt = [&](int line, int column) {
        const QTextBlock block = editor().document()->findBlockByNumber(line);
        for (const QTextLayout::FormatRange &range : block.layout()->formats())
            if (column >= range.start && column < range.start + range.length)
                return range.format;
        return QTextCharFormat();
    };
    const auto unknown = [&](int line, int column) { return formatAt(line, column).underlineStyle() == QTextCharFormat::WaveUnderline; };
    EXPECT_TRUE(formatAt(0, 0).font().bold());
    EXPECT_FALSE(unknown(0, 0));
    EXPECT_TRUE(unknown(1, 0)) << "a misspelt word";
    EXPECT_TRUE(formatAt(2, 3).fontItalic()) << "a comment line";
    EXPECT_FALSE(unknown(3, 9)) << "a known conditional action";
    EXPECT_EQ(formatAt(3, 15).foreground(), formatAt(5, 8).foreground()) << "both markers alike";
    EXPECT_NE(formatAt(3, 15).foreground(), formatAt(0, 0).foreground());
    EXPECT_TRUE(unknown(4, 9)) << "an action the conditional table lacks";
}

TEST_F(RunControlTest, TheRunLogHasARowPerExecutedLineWithTheAddressAfterIt)
{
    TestServer &server = this->server();
    server.page("/a", "<html><body><a href=\"/b\">Next</a></body></html>");
    server.page("/b", "<html><body>b</body></html>");
    start();
    auto *log = window->findChild<RunLogView *>("runLog");
    EXPECT_FALSE(log->isVisible()) << "hidden until asked for";
    choose("runLogAction");
    ASSERT_TRUE(log->isVisible());
    setEditorText(editor(), "nav;" + server.url("/a") + "\r\nclink;Next\r\nbeep");
    choose("runAction");
    ASSERT_TRUE(waitUntil([&] { return log->rowCount() == 3; }));
    const QStringList rows = log->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 4);
    const auto cell = [&](int row, int column) { return rows.at(row).split(QLatin1Char('\t')).at(column); };
    EXPECT_EQ(cell(1, 1), "1");
    EXPECT_EQ(cell(1, 4), "0") << "no element wait on the built-in engine";
    EXPECT_EQ(cell(1, 6), server.url("/a"));
    EXPECT_EQ(cell(2, 2), "clink;Next");
    EXPECT_EQ(cell(2, 6), server.url("/b"));
    EXPECT_EQ(cell(3, 7), "ran");
}

// The password typed for "$$$" reaches the page, and neither the run log nor the halted line's
// message shows it; NavRelay's own checks run in the window as in navrelay-run.
TEST_F(RunControlTest, TheRunLogAndTheHaltedLineShowTheVariablesTextAsItsMarker)
{
    TestServer &server = this->server();
    server.page("/login", "<html><body><form action=\"/in\"><input name=\"pw\"><input type=\"submit\" value=\"Go\"></form></body></html>");
    server.page("/in", "<html><body>in</body></html>");
    start();
    auto *log = window->findChild<RunLogView *>("runLog");
    choose("runLogAction");
    setEditorText(editor(), "nav;" + server.url("/login") + "\r\nfill;pw;$$$\r\nclickbutton;Go;true\r\nrefute;out\r\nassert;$$$ twice");
    {
        ModalAnswers answers({[](QWidget &dialog) { answerInput(dialog, QStringLiteral("S3cret!")); }});
        choose("runAction");
        ASSERT_TRUE(waitUntil([&] { return runner().status() == RunStatus::Halted || runner().status() == RunStatus::Stopped; }));
    }
    ASSERT_TRUE(waitUntil([&] { return log->rowCount() == 5; }));
    EXPECT_EQ(runner().status(), RunStatus::Halted) << "the page passes the refute, not the assert";
    EXPECT_EQ(server.pageRequests().back().query, "pw=S3cret%21");
    const QString rows = log->text();
    EXPECT_FALSE(rows.contains(QStringLiteral("S3cret"))) << rows.toStdString();
    EXPECT_TRUE(rows.contains(QStringLiteral("fill;pw;$$$"))) << rows.toStdString();
    EXPECT_TRUE(rows.contains(QStringLiteral("/in?pw=$$$"))) << rows.toStdString();
    EXPECT_EQ(editor().haltedLine(), std::optional<int>(4));
    for (const auto &selection : editor().extraSelections())
        EXPECT_FALSE(selection.format.toolTip().contains(QStringLiteral("S3cret"))) << selection.format.toolTip().toStdString();
}

TEST_F(RunControlTest, TheScriptChecksUnderlineTheirLinesWithTheMessageAsTooltip)
{
    start();
    QTest::keyClicks(&editor(), "beep");
    QTest::keyClick(&editor(), Qt::Key_Return);
    QTest::keyClicks(&editor(), "clnk;Next");
    ASSERT_TRUE(waitUntil([&] { return !editor().extraSelections().isEmpty(); }));
    const auto underlined = editor().extraSelections().constFirst();
    EXPECT_EQ(underlined.cursor.blockNumber(), 1);
    EXPECT_EQ(underlined.format.underlineStyle(), QTextCharFormat::WaveUnderline);
    EXPECT_TRUE(underlined.format.toolTip().contains("clink")) << underlined.format.toolTip().toStdString();
}

TEST_F(RunControlTest, ASleepKeepsTheWindowAliveAndStopEndsIt)
{
    start();
    setEditorText(editor(), "sleep;2000\r\nbeep");
    int probeTicks = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] { ++probeTicks; });
    probe.start(50);
    choose("runAction");
    ASSERT_TRUE(waitUntil([&] { return runPanel() == "Sleeping on line 1"; }));
    spinEvents(500);
    EXPECT_GE(probeTicks, 5) << "events go on during the sleep";
    EXPECT_EQ(runner().status(), RunStatus::Sleeping);
    choose("stopAction");
    EXPECT_EQ(runner().status(), RunStatus::Stopped);
    spinEvents(100);
    EXPECT_EQ(runner().tickTimer().interval(), ScriptRunner::kTickInterval) << "the pace before the sleep comes back";
    EXPECT_NE(panel1(), "Finished Executing ") << "the line after the sleep never ran";
}

TEST_F(RunControlTest, APageThatRunsAwayInTheWindowLeavesItAnsweringAndStopEndsTheRun)
{
    TestServer &server = this->server();
    std::string page = "<html><body>";
    for (int i = 0; i < 1000; ++i)
        page += "<table><tr><td>cell";
    for (int i = 0; i < 1000; ++i)
        page += "</td></tr></table>";
    server.page("/deep", page + "</body></html>");
    start();
    setEditorText(editor(), "nav;" + server.url("/deep") + "\r\nwaitfor;words the page lacks;60");
    int probeTicks = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] { ++probeTicks; });
    choose("runAction");
    ASSERT_TRUE(waitUntil([&] { return attachedWindow().locationUrl() == server.url("/deep") && !attachedWindow().isBusy(); },
                          30000));
    // The page is read, styled and laid out for seconds beside the window.
    probe.start(50);
    spinEvents(1000);
    EXPECT_GE(probeTicks, 10) << "events go on while the page is laid out";
    choose("stopAction");
    EXPECT_EQ(runner().status(), RunStatus::Stopped);
}
