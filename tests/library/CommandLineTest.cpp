#include "EngineDoubles.h"
#include "LibraryFixture.h"

#include "engine/RunState.h"
#include "engine/ScriptRunner.h"
#include "library/CommandLineStart.h"
#include "library/CountdownWindow.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include <chrono>

using namespace std::chrono_literals;

namespace {

class CommandLine : public LibraryTest {
protected:
    CommandLine()
    {
        CommandLineAborted = false;
        writeFile("Web/Login.txt", "beep\r\nbeep\r\n");
        writeFile("Mail/Login.txt", "from Mail");
        writeFile("Web/Search.txt", "search");
        makeFolder("Empty");
        library.LoadScripts();
        setEditorText(txtScript, QStringLiteral("Nav;"));
    }

    void start(const QString &commandLine, std::chrono::milliseconds tick = 1ms)
    {
        CommandScript(commandLine, mainWindow, library, txtScript, state, [this] { runner.mRunScript_Click(editor()); }, tick);
    }
    void runToEnd()
    {
        for (int tick = 0; tick < 100 && runner.TimerNav().isActive(); ++tick)
            runner.TimerNav_Timer();
    }

    QWidget mainWindow;
    RunState state;
    RecordingBrowserAccess browser;
    RecordingPageActions page;
    ScriptRunner runner{state, host, browser, page};
};

TEST(Countdown, CountsDownFromTenInItsOwnTopMostWindow)
{
    fTimeout countdown(nullptr);
    const auto *lblSec = countdown.findChild<QLabel *>("lblSec");
    const auto *btnAbort = countdown.findChild<QPushButton *>("btnAbort");
    const auto *Timer1 = countdown.findChild<QTimer *>("Timer1");
    ASSERT_TRUE(lblSec && btnAbort && Timer1);
    EXPECT_EQ(countdown.windowTitle(), "NavRelay Command Line");
    EXPECT_TRUE(countdown.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(countdown.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_EQ(lblSec->text(), "You have 10 seconds to abort.");
    EXPECT_EQ(btnAbort->text(), "Abort");
    for (const QWidget *control : {static_cast<const QWidget *>(lblSec), static_cast<const QWidget *>(btnAbort)}) {
        EXPECT_EQ(control->font().family(), "Franklin Gothic Medium");
        EXPECT_EQ(control->font().weight(), QFont::Normal);
    }
    EXPECT_EQ(btnAbort->font().pointSize(), 12);
    // A stand-in for the font, when wider, is made smaller so that the text is never cut off.
    EXPECT_LE(lblSec->font().pointSize(), 12);
    EXPECT_LE(lblSec->fontMetrics().horizontalAdvance(lblSec->text()), lblSec->width());
    ASSERT_EQ(countdown.logicalDpiX(), 96); // the offscreen screen: 15 twips a pixel
    ASSERT_EQ(countdown.logicalDpiY(), 96);
    EXPECT_EQ(lblSec->geometry(), QRect(12, 12, 205, 21));
    EXPECT_EQ(btnAbort->geometry(), QRect(72, 54, 79, 37));
    EXPECT_EQ(countdown.size(), QSize(230, 110));
    EXPECT_EQ(countdown.minimumSize(), countdown.maximumSize());
    EXPECT_TRUE(Timer1->isActive());
    EXPECT_EQ(Timer1->interval(), 1000);

    QSignalSpy finished(&countdown, &QDialog::finished);
    QStringList shown;
    for (int tick = 0; tick < 10; ++tick) {
        EXPECT_EQ(finished.size(), 0) << tick;
        countdown.Timer1_Timer();
        shown << lblSec->text();
    }
    EXPECT_EQ(shown.first(), "You have 9 seconds to abort.");
    EXPECT_EQ(shown.at(8), "You have 1 seconds to abort.");
    EXPECT_EQ(shown.last(), "You have 0 seconds to abort.");
    EXPECT_EQ(finished.size(), 1);
    EXPECT_FALSE(Timer1->isActive());
    EXPECT_FALSE(CommandLineAborted);
}

TEST_F(CommandLine, AbortRunsOneBeepAndTheEndOfThatRunClosesTheProgram)
{
    QString caption;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto *countdown = qobject_cast<fTimeout *>(QApplication::activeModalWidget());
        if (!countdown)
            return;
        caption = countdown->windowTitle();
        countdown->findChild<QPushButton *>("btnAbort")->click();
    });
    answer.start(10);
    start(QStringLiteral("Login"), fTimeout::kSeconds * 1s); // the countdown's own clock would end it too

    EXPECT_EQ(caption, "NavRelay Command Line");
    EXPECT_TRUE(CommandLineAborted);
    EXPECT_TRUE(state.ExitWhenFinished);
    EXPECT_EQ(editor(), "Beep");
    EXPECT_EQ(library.SelectedScript(), "");
    runToEnd();
    EXPECT_EQ(host.beeps, 1);
    EXPECT_EQ(host.closeRequests, 1);
}

TEST_F(CommandLine, TimeOutLoadsSelectsAndRunsTheNamedScriptOfTheFirstFolder)
{
    start(QStringLiteral("Login"));
    EXPECT_FALSE(CommandLineAborted);
    EXPECT_EQ(selectedText(), "Login");
    EXPECT_EQ(tree.selectedItems().first()->parent()->text(0), "Mail");
    EXPECT_EQ(editor(), "from Mail");
    EXPECT_EQ(state.ScriptLines, (QStringList{"from Mail"}));
    EXPECT_TRUE(runner.TimerNav().isActive());
    runToEnd();
    EXPECT_EQ(host.closeRequests, 1);
}

TEST_F(CommandLine, ACommandLineNamingNoScriptOrAFolderRunsTheEditorsText)
{
    const struct {
        QString commandLine;
        QString selected;
        bool runs;
    } cases[] = {
        {"login", "<none>", false},
        {"\"Search\"", "<none>", false},
        {"Search ", "<none>", false},
        {"Web", "Web", true},     // a folder with scripts: nothing loaded
        {"Empty", "Empty", true}, // an empty folder: the click stops quietly
    };
    for (const auto &entry : cases) {
        tree.clearSelection();
        runner.TimerNav().stop();
        state.ScriptLines.clear();
        start(entry.commandLine);
        EXPECT_EQ(selectedText(), entry.selected) << entry.commandLine.toStdString();
        EXPECT_EQ(editor(), "Nav;") << entry.commandLine.toStdString();
        EXPECT_EQ(runner.TimerNav().isActive(), entry.runs) << entry.commandLine.toStdString();
        EXPECT_EQ(state.ScriptLines, entry.runs ? QStringList{"Nav;"} : QStringList()) << entry.commandLine.toStdString();
        EXPECT_TRUE(state.ExitWhenFinished);
    }
    EXPECT_EQ(library.SelectedScript(), "Empty");
}

TEST_F(CommandLine, AnEmptyCommandLineStartsNormally)
{
    QTimer watch;
    bool countdownShown = false;
    QObject::connect(&watch, &QTimer::timeout, [&] { countdownShown |= QApplication::activeModalWidget() != nullptr; });
    watch.start(0);
    start(QString());
    QCoreApplication::processEvents();
    EXPECT_FALSE(countdownShown);
    EXPECT_FALSE(state.ExitWhenFinished);
    EXPECT_FALSE(runner.TimerNav().isActive());
}

} // namespace
