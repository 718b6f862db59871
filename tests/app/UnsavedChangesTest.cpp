// Unsaved work in the editor: the title shows it, and nothing replaces it without a question.
#include "AppTesting.h"
#include "QtWait.h"

#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeWidget>

class UnsavedChangesTest : public AppTest {
protected:
    void SetUp() override
    {
        writeFile(libraryRoot() + "/Web/Login.txt", "beep\r\n");
        start();
        editor = window->findChild<QPlainTextEdit *>("scriptEditor");
        tree = window->findChild<QTreeWidget *>("scriptTree");
        tree->expandAll();
    }
    void clickLogin()
    {
        QTreeWidgetItem *login = tree->topLevelItem(0)->child(0);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(login).center());
    }
    // Types the lines at the end of the text, Enter between them.
    void typeAtEnd(const QStringList &lines)
    {
        editor->setFocus();
        editor->moveCursor(QTextCursor::End);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(editor, Qt::Key_Return);
            QTest::keyClicks(editor, lines.at(i));
        }
    }
    // The question's text, answered with the button.
    QString answerQuestion(const std::function<void()> &action, QMessageBox::StandardButton button,
                           std::deque<ModalAnswers::Answer> more = {})
    {
        QString asked;
        more.push_front([&](QWidget &dialog) {
            asked = static_cast<QMessageBox &>(dialog).text();
            pressMessageButton(dialog, button);
        });
        ModalAnswers answers(std::move(more));
        action();
        return asked;
    }

    QPlainTextEdit *editor = nullptr;
    QTreeWidget *tree = nullptr;
};

TEST_F(UnsavedChangesTest, TheTitleNamesTheScriptAndMarksUnsavedChanges)
{
    EXPECT_EQ(window->windowTitle(), "NavRelay");
    typeAtEnd({"x"});
    EXPECT_EQ(window->windowTitle(), "*NavRelay");
    EXPECT_EQ(answerQuestion([&] { clickLogin(); }, QMessageBox::Discard), "The script has changes that are not saved.");
    EXPECT_EQ(window->windowTitle(), "Login - NavRelay");
    typeAtEnd({"", "beep"});
    EXPECT_EQ(window->windowTitle(), "*Login - NavRelay");
    QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(window->editorText(), "beep");
    EXPECT_EQ(window->windowTitle(), "Login - NavRelay") << "undone back to the file's text";
}

TEST_F(UnsavedChangesTest, ClosingWithUnsavedChangesAsksAndCancelKeepsTheWindowAndTheText)
{
    clickLogin();
    typeAtEnd({"", "nav;x"});
    bool ended = false;
    QObject::connect(window.get(), &MainWindow::programEnded, [&] { ended = true; });
    EXPECT_EQ(answerQuestion([&] { closeWindow(); }, QMessageBox::Cancel), "The script \"Login\" has changes that are not saved.");
    EXPECT_FALSE(ended);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->editorText(), "beep\r\nnav;x");

    // Save writes the text where the user chooses, then the window closes.
    const QString file = libraryRoot() + "/Web/Kept.txt";
    answerQuestion([&] { closeWindow(); }, QMessageBox::Save, {[&](QWidget &dialog) { chooseFile(dialog, file); }});
    EXPECT_TRUE(ended);
    EXPECT_EQ(fileBytes(file), "beep\r\nnav;x\r\n");
}

TEST_F(UnsavedChangesTest, LoadingAnotherScriptOverUnsavedChangesAsksFirst)
{
    typeAtEnd({"x"});
    answerQuestion([&] { clickLogin(); }, QMessageBox::Cancel);
    EXPECT_EQ(window->editorText(), "Nav;x") << "Cancel keeps the text";
    answerQuestion([&] { choose("newScriptAction"); }, QMessageBox::Cancel);
    EXPECT_EQ(window->editorText(), "Nav;x");

    // A Save that does not happen keeps the text too.
    answerQuestion([&] { clickLogin(); }, QMessageBox::Save, {rejectDialog});
    EXPECT_EQ(window->editorText(), "Nav;x");
    answerQuestion([&] { choose("newScriptAction"); }, QMessageBox::Discard);
    EXPECT_EQ(window->editorText(), "");
    EXPECT_EQ(window->windowTitle(), "NavRelay");

    // Unchanged text goes without a question.
    clickLogin();
    EXPECT_EQ(window->editorText(), "beep");
    bool ended = false;
    QObject::connect(window.get(), &MainWindow::programEnded, [&] { ended = true; });
    closeWindow();
    EXPECT_TRUE(ended);
}
