#include "EngineDoubles.h"
#include "LibraryFixture.h"

#include "engine/RunState.h"
#include "engine/ScriptRunner.h"
#include "library/CommandLineStart.h"
#include "library/CountdownDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
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
        library.loadScripts();
        setEditorText(scriptEditor, QStringLiteral("Nav;"));
    }

    CommandLineStart start(const QString &commandLine, std::chrono::milliseconds tick = 1ms)
    {
        return runCommandLineScript(commandLine, mainWindow, library, scriptEditor, state,
                                    [this] { runner.runScript(editor()); }, tick);
    }
    void runToEnd()
    {
        for (int tick = 0; tick < 100 && runner.tickTimer().isActive(); ++tick)
            runner.tick();
    }

    QWidget mainWindow;
    RunState state;
    RecordingBrowserAccess browser;
    RecordingPageActions page{browser};
    ScriptRunner runner{state, host, browser, page};
};

TEST(Countdown, CountsDownFromTenInItsOwnTopMostWindow)
{
    CountdownDialog countdown(nullptr);
    const auto *secondsLabel = countdown.findChild<QLabel *>("secondsLabel");
    const auto *abortButton = countdown.findChild<QPushButton *>("abortButton");
    const auto *countdownTimer = countdown.findChild<QTimer *>("countdownTimer");
    ASSERT_TRUE(secondsLabel && abortButton && countdownTimer);
    EXPECT_EQ(countdown.windowTitle(), "NavRelay Command Line");
    EXPECT_TRUE(countdown.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(countdown.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_EQ(secondsLabel->text(), "You have 10 seconds to abort.");
    EXPECT_EQ(abortButton->text(), "Abort");
    for (const QWidget *control : {static_cast<const QWidget *>(secondsLabel), static_cast<const QWidget *>(abortButton)}) {
        EXPECT_EQ(control->font().family(), "Franklin Gothic Medium");
        EXPECT_EQ(control->font().weight(), QFont::Normal);
    }
    EXPECT_EQ(abortButton->font().pointSize(), 12);
    // A stand-in for the font, when wider, is made smaller so that the text is never cut off.
    EXPECT_LE(secondsLabel->font().pointSize(), 12);
    EXPECT_LE(secondsLabel->fontMetrics().horizontalAdvance(secondsLabel->text()), secondsLabel->width());
    ASSERT_EQ(countdown.logicalDpiX(), 96); // the offscreen screen: 15 twips a pixel
    ASSERT_EQ(countdown.logicalDpiY(), 96);
    EXPECT_EQ(secondsLabel->geometry(), QRect(12, 12, 205, 21));
    EXPECT_EQ(abortButton->geometry(), QRect(72, 54, 79, 37));
    EXPECT_EQ(countdown.size(), QSize(230, 110));
    EXPECT_EQ(countdown.minimumSize(), countdown.maximumSize());
    EXPECT_TRUE(countdownTimer->isActive());
    EXPECT_EQ(countdownTimer->interval(), 1000);

    QSignalSpy finished(&countdown, &QDialog::finished);
    QStringList shown;
    for (int tick = 0; tick < 10; ++tick) {
        EXPECT_EQ(finished.size(), 0) << tick;
        countdown.countDown();
        shown << secondsLabel->text();
    }
    EXPECT_EQ(shown.first(), "You have 9 seconds to abort.");
    EXPECT_EQ(shown.at(8), "You have 1 seconds to abort.");
    EXPECT_EQ(shown.last(), "You have 0 seconds to abort.");
    EXPECT_EQ(finished.size(), 1);
    EXPECT_FALSE(countdownTimer->isActive());
    EXPECT_FALSE(CommandLineAborted);
}

TEST_F(CommandLine, AbortRunsOneBeepAndTheEndOfThatRunClosesTheProgram)
{
    QString caption;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto *countdown = qobject_cast<CountdownDialog *>(QApplication::activeModalWidget());
        if (!countdown)
            return;
        caption = countdown->windowTitle();
        countdown->findChild<QPushButton *>("abortButton")->click();
    });
    answer.start(10);
    EXPECT_EQ(start(QStringLiteral("Login"), CountdownDialog::kSeconds * 1s), CommandLineStart::Started); // the countdown's own clock would end it too

    EXPECT_EQ(caption, "NavRelay Command Line");
    EXPECT_TRUE(CommandLineAborted);
    EXPECT_TRUE(state.exitWhenFinished);
    EXPECT_EQ(editor(), "Beep");
    EXPECT_EQ(library.selectedScript(), "");
    runToEnd();
    EXPECT_EQ(host.beeps, 1);
    EXPECT_EQ(host.closeRequests, 1);
}

TEST_F(CommandLine, TimeOutLoadsSelectsAndRunsTheNamedScriptOfTheFirstFolder)
{
    EXPECT_EQ(start(QStringLiteral("Login")), CommandLineStart::Started);
    EXPECT_FALSE(CommandLineAborted);
    EXPECT_EQ(selectedText(), "Login");
    EXPECT_EQ(tree.selectedItems().first()->parent()->text(0), "Mail");
    EXPECT_EQ(editor(), "from Mail");
    EXPECT_EQ(state.scriptLines, (QStringList{"from Mail"}));
    EXPECT_TRUE(runner.tickTimer().isActive());
    runToEnd();
    EXPECT_EQ(host.closeRequests, 1);
}

TEST_F(CommandLine, ACommandLineNamingAFolderRunsTheEditorsText)
{
    for (const QString &folder : {QStringLiteral("Web"), QStringLiteral("Empty")}) {
        tree.clearSelection();
        runner.tickTimer().stop();
        state.scriptLines.clear();
        EXPECT_EQ(start(folder), CommandLineStart::Started);
        EXPECT_EQ(selectedText(), folder); // with scripts nothing is loaded; an empty one stops quietly
        EXPECT_EQ(editor(), "Nav;");
        EXPECT_TRUE(runner.tickTimer().isActive());
        EXPECT_EQ(state.scriptLines, QStringList{"Nav;"});
        EXPECT_TRUE(state.exitWhenFinished);
    }
    EXPECT_EQ(library.selectedScript(), "Empty");
}

TEST_F(CommandLine, ANameNoNodeHasIsSaidAtOnceAndNothingRuns)
{
    for (const QString name : {"login", "\"Search\"", "Search "}) {
        QString said;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !said.isEmpty())
                return;
            said = box->windowTitle() + ": " + box->text();
            box->button(QMessageBox::Ok)->click();
        });
        answer.start(5);
        EXPECT_EQ(start(name, 1h), CommandLineStart::UnknownScript) << name.toStdString();
        EXPECT_EQ(said, "NavRelay Command Line: " + unknownScriptMessage(name, root())) << "no countdown first";
        EXPECT_EQ(selectedText(), "<none>");
        EXPECT_FALSE(runner.tickTimer().isActive());
    }
    EXPECT_EQ(unknownScriptMessage("login", "/home/a/Scripts"), "There is no script named \"login\" in the library (/home/a/Scripts).");

    // Nobody at the screen: the message goes by itself after the countdown's ten seconds.
    QElapsedTimer shown;
    shown.start();
    EXPECT_EQ(start("login", 10ms), CommandLineStart::UnknownScript);
    EXPECT_GE(shown.elapsed(), 100);
    EXPECT_FALSE(CommandLineAborted);
}

TEST_F(CommandLine, AnEmptyCommandLineStartsNormally)
{
    QTimer watch;
    bool countdownShown = false;
    QObject::connect(&watch, &QTimer::timeout, [&] { countdownShown |= QApplication::activeModalWidget() != nullptr; });
    watch.start(0);
    EXPECT_EQ(start(QString()), CommandLineStart::None);
    QCoreApplication::processEvents();
    EXPECT_FALSE(countdownShown);
    EXPECT_FALSE(state.exitWhenFinished);
    EXPECT_FALSE(runner.tickTimer().isActive());
}

} // namespace
