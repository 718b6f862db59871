#include "AppTesting.h"
#include "QtPrinters.h"
#include "QtWait.h"
#include "TestServer.h"

#include "app/FileDialog.h"
#include "browser/Automation.h"
#include "browser/builtin/BuiltinWindow.h"
#include "engine/ScriptRunner.h"
#include "library/CommandLineStart.h"
#include "library/EditorText.h"

#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <thread>

namespace {

void typeScript(MainWindow &window, const QString &scriptText)
{
    auto *editor = window.findChild<QPlainTextEdit *>("scriptEditor");
    editor->clear();
    editor->setFocus();
    // Typed as a user would: Enter for every line break.
    const QStringList lines = scriptText.split(QStringLiteral("\r\n"));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            QTest::keyClick(editor, Qt::Key_Return);
        QTest::keyClicks(editor, lines.at(i));
    }
}

bool requested(const TestServer &server, const std::string &path)
{
    for (const auto &request : server.pageRequests()) {
        if (request.path == path)
            return true;
    }
    return false;
}

} // namespace

TEST_F(AppTest, F5RunsTheEditorsScriptAgainstTheBrowser)
{
    TestServer &server = this->server();
    server.page("/start", "<html><body><a href=\"/next\">Next page</a></body></html>");
    server.page("/next", "<html><body>arrived</body></html>");
    start();
    typeScript(*window, "nav;" + server.url("/start") + "\r\nclink;Next page\r\n");
    EXPECT_EQ(window->editorText(), "nav;" + server.url("/start") + "\r\nclink;Next page\r\n");

    QTest::keyClick(window.get(), Qt::Key_F5);
    EXPECT_TRUE(window->automation().runner.tickTimer().isActive());
    // The text ends in a line break: the run stops on the empty last line with line 2 shown.
    ASSERT_TRUE(waitUntil([&] { return requested(server, "/next"); }));
    ASSERT_TRUE(waitUntil([&] { return window->automation().runner.status() == RunStatus::Parked; }));
    EXPECT_EQ(panel1(), "Executing Script, Line ( 2 )");

    choose("resetAction");
    EXPECT_EQ(window->automation().state.currentLine, 0);
    typeScript(*window, "nav;" + server.url("/next"));
    choose("runAction");
    ASSERT_TRUE(waitUntil([&] { return !window->automation().runner.tickTimer().isActive(); }));
    EXPECT_EQ(panel1(), "Finished Executing ");
}

TEST_F(AppTest, AGotoWithAWordShowsItsMessageAndTheRunGoesOnAfterOk)
{
    TestServer &server = this->server();
    server.page("/after", "<html><body>after</body></html>");
    start();
    setEditorText(*window->findChild<QPlainTextEdit *>("scriptEditor"), "goto;abc\r\nnav;" + server.url("/after"));
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    {
        ModalAnswers answers({[&](QWidget &dialog) {
            if (auto *box = qobject_cast<QMessageBox *>(&dialog)) {
                title = box->windowTitle();
                text = box->text();
                icon = box->icon();
            }
            pressMessageButton(dialog, QMessageBox::Ok);
        }});
        choose("runAction");
        ASSERT_TRUE(waitUntil([&] { return !window->automation().runner.tickTimer().isActive(); }));
    }
    EXPECT_EQ(title, "Error");
    EXPECT_EQ(text, "Invalid parameter passed on line 0. GoTo;<Line #> Numbers instead of <Line #>!");
    EXPECT_EQ(icon, QMessageBox::Information);
    EXPECT_TRUE(waitUntil([&] { return requested(server, "/after"); }));
    EXPECT_EQ(panel1(), "Finished Executing ");
}

TEST_F(AppTest, AnErrorMessagesHelpButtonOpensTheCommandReferenceAndKeepsTheMessage)
{
    start();
    setEditorText(*window->findChild<QPlainTextEdit *>("scriptEditor"), "fill;onlyone");
    QString title;
    QString text;
    bool stillOpenAfterHelp = false;
    {
        ModalAnswers answers({[&](QWidget &dialog) {
            auto *box = qobject_cast<QMessageBox *>(&dialog);
            if (!box)
                return;
            title = box->windowTitle();
            text = box->text();
            QAbstractButton *help = box->button(QMessageBox::Help);
            if (!help)
                return;
            help->click();
            stillOpenAfterHelp = box->isVisible();
            box->button(QMessageBox::Ok)->click();
        }});
        choose("runAction");
        ASSERT_TRUE(waitUntil([&] { return window->automation().runner.status() == RunStatus::Halted; }));
    }
    EXPECT_EQ(title, "TimerNav.Timer");
    EXPECT_TRUE(text.startsWith("9: ")) << text.toStdString();
    EXPECT_TRUE(stillOpenAfterHelp);
    EXPECT_TRUE(waitUntil([&] { return attachedWindow().locationUrl().endsWith("/docs/commands.html"); }));
}

TEST_F(AppTest, TreeClicksLoadAndRunScriptsAndARightClickShowsTheScriptsMenu)
{
    TestServer &server = this->server();
    server.page("/login", "<html><body>login</body></html>");
    writeFile(libraryRoot() + "/Web/Login.txt", ("nav;" + server.url("/login")).toUtf8() + "\r\n");
    writeFile(libraryRoot() + "/Web/Other.txt", "beep\r\n");
    start();
    auto *tree = window->findChild<QTreeWidget *>("scriptTree");
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    tree->expandAll();
    QTreeWidgetItem *login = tree->topLevelItem(0)->child(0);
    QTreeWidgetItem *other = tree->topLevelItem(0)->child(1);
    ASSERT_EQ(login->text(0), "Login");

    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(login).center());
    EXPECT_EQ(window->editorText(), "nav;" + server.url("/login"));
    EXPECT_EQ(window->fileDialog().fileName(), libraryRoot() + "/Web/Login.txt");

    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(login).center());
    ASSERT_TRUE(waitUntil([&] { return requested(server, "/login"); }));

    auto &scripts = menu("scriptsMenu");
    QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, tree->visualItemRect(other).center());
    EXPECT_TRUE(waitUntil([&] { return scripts.isVisible(); }));
    scripts.close();
    EXPECT_EQ(tree->currentItem(), login) << "a right click does not move the selection";
}

TEST_F(AppTest, AnAbortedCommandLineStartBeepsAndEndsTheProgram)
{
    CommandLineAborted = false;
    bool ended = false;
    {
        ModalAnswers answers({[](QWidget &countdown) {
            if (auto *abort = countdown.findChild<QPushButton *>("abortButton"))
                abort->click();
        }});
        window = std::make_unique<MainWindow>([&] {
            MainWindowOptions options = defaultMainWindowOptions({QCoreApplication::applicationFilePath()});
            options.libraryRoot = libraryRoot();
            options.commandLine = "Default";
            return options;
        }());
        QObject::connect(window.get(), &MainWindow::programEnded, [&] { ended = true; });
        window->startUp();
        EXPECT_EQ(answers.answered(), 1);
    }
    EXPECT_TRUE(CommandLineAborted);
    EXPECT_TRUE(window->automation().state.exitWhenFinished);
    EXPECT_EQ(window->editorText(), "Beep");
    EXPECT_TRUE(waitUntil([&] { return ended; }));
    CommandLineAborted = false;
}

TEST_F(AppTest, ACommandLineStartRunsTheNamedScriptAfterTheWholeStartUp)
{
    server().page("/login", "<html><body>login</body></html>");
    writeFile(libraryRoot() + "/Web/Login.txt", ("nav;" + server().url("/login")).toUtf8() + "\r\n");
    loadCommandLineStart("Login");

    // The script was found in the tree, loaded over the start text and the dialog's start name.
    EXPECT_EQ(window->editorText(), "nav;" + server().url("/login"));
    EXPECT_EQ(window->fileDialog().fileName(), libraryRoot() + "/Web/Login.txt");
    EXPECT_TRUE(waitUntil([&] { return programEnded; }));
    EXPECT_TRUE(waitUntil([&] { return requested(server(), "/login"); }));
}

TEST_F(AppTest, ACommandLineStartEndsOnlyOnceTheLastLinesPageHasArrived)
{
    TestServer &server = this->server();
    server.page("/13", "<html><body>13</body></html>");
    server.page("/14", "<html><body>14</body></html>");
    server.handle("GET", "/15", [](const httplib::Request &, httplib::Response &response) {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        response.set_content("<html><body>15</body></html>", "text/html");
    });
    writeFile(libraryRoot() + "/Daily/Last.txt",
              ("nav;" + server.url("/13") + "\r\nnav;" + server.url("/14") + "\r\nnav;" + server.url("/15")).toUtf8());
    QString shownAtTheEnd;
    loadCommandLineStart("Last");
    QObject::connect(window.get(), &MainWindow::programEnded, [&] { shownAtTheEnd = attachedWindow().locationUrl(); });
    window->show();
    ASSERT_TRUE(waitUntil([&] { return programEnded; }));
    EXPECT_EQ(shownAtTheEnd, server.url("/15")) << "the program ended before the last line's page came";
    EXPECT_TRUE(requested(server, "/15"));
    EXPECT_EQ(window->exitCode(), 0);
}

TEST_F(AppTest, ACommandLineNamingNoScriptSaysSoAndEndsTheProgramWithStatusOne)
{
    QString said;
    {
        ModalAnswers answers({[&](QWidget &dialog) {
            said = static_cast<QMessageBox &>(dialog).text();
            pressMessageButton(dialog, QMessageBox::Ok);
        }});
        loadCommandLineStart("Nightly");
    }
    EXPECT_EQ(said, unknownScriptMessage("Nightly", libraryRoot()));
    EXPECT_TRUE(window->hasEnded());
    EXPECT_EQ(window->exitCode(), 1);
    EXPECT_TRUE(waitUntil([&] { return programEnded; }));
    EXPECT_FALSE(window->automation().runner.tickTimer().isActive());
}

TEST_F(AppTest, TheClockShowsTheTimeInPanelTwo)
{
    start();
    EXPECT_TRUE(waitUntil([&] { return !panel2().isEmpty(); })) << "the clock ticks by itself";
    const QString before = clockText();
    window->updateClock();
    const QString after = clockText();
    EXPECT_TRUE(panel2() == before || panel2() == after) << panel2().toStdString();
}
