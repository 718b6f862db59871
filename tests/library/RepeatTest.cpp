#include "LibraryFixture.h"

namespace {

enum class Which { Last, All };

struct RepeatCase {
    QString text;
    Which which;
    QString answer;
    QString expected;
    QString status;  // empty: no status text
    QString message; // empty: no message box
};

TEST_F(LibraryTest, RepeatGeneratorsGrowTheEditorAndCountItsLines)
{
    const QString twoLines = QStringLiteral("nav;x\r\nsleep;2");
    const RepeatCase cases[] = {
        {twoLines, Which::Last, "2", "nav;x\r\nsleep;2\r\nsleep;2\r\nsleep;2", "4 lines total.", ""},
        {twoLines, Which::All, "2", "nav;x\r\nsleep;2\r\nnav;x\r\nsleep;2\r\nnav;x\r\nsleep;2", "6 lines total.", ""},
        {twoLines, Which::Last, "0", twoLines, "2 lines total.", ""},
        {twoLines, Which::All, "-3", twoLines, "2 lines total.", ""},
        {twoLines, Which::Last, "2.5", twoLines + "\r\nsleep;2\r\nsleep;2", "4 lines total.", ""},
        {"a", Which::All, "3.5", "a\r\na\r\na\r\na\r\na", "5 lines total.", ""},
        {"a", Which::Last, " 1e1 ", "a" + QString("\r\na").repeated(10), "11 lines total.", ""},
        {twoLines, Which::Last, "abc", twoLines, "", "Numbers Only!"},
        {twoLines, Which::All, "", twoLines, "", "Numbers Only!"},
        {"", Which::All, "2", "\r\n\r\n", "3 lines total.", ""},
        {"", Which::Last, "2", "", "0 lines total.", ""},
        {"beep\r\n", Which::Last, "1", "beep\r\n\r\n", "3 lines total.", ""},
        {"beep", Which::Last, "40000", "beep", "", "Numbers from -32768 to 32767 Only!"},
        {"beep", Which::All, "-40000", "beep", "", "Numbers from -32768 to 32767 Only!"},
        {QString(1100, 'x'), Which::All, "32767", QString(1100, 'x'), "", "The script would grow too long."},
    };
    for (const RepeatCase &entry : cases) {
        const std::string label = entry.text.left(20).toStdString() + " x " + entry.answer.toStdString();
        RecordingHost answering;
        answering.inputAnswer = entry.answer;
        ScriptLibrary repeating(tree, scriptEditor, dialog, answering, linkList, root(), [] {});
        setEditorText(scriptEditor, entry.text);

        if (entry.which == Which::Last)
            repeating.repeatLastLine();
        else
            repeating.repeatWholeText();

        EXPECT_EQ(answering.prompts, (QStringList{"How many times?|NavRelay|"})) << label;
        EXPECT_EQ(editor(), entry.expected) << label;
        EXPECT_EQ(answering.lastStatus(), entry.status) << label;
        ASSERT_EQ(answering.messages.size(), entry.message.isEmpty() ? 0u : 1u) << label;
        if (!entry.message.isEmpty()) {
            EXPECT_EQ(answering.messages[0].text, entry.message) << label;
            EXPECT_EQ(answering.messages[0].buttons, MessageButtons::Ok) << label;
        }
    }
}

TEST_F(LibraryTest, ALargeRepeatIsOneEditThatOneUndoTakesBack)
{
    QStringList lines;
    for (int line = 1; line <= 20; ++line)
        lines << QStringLiteral("fill;field%1;value %1").arg(line);
    const QString script = lines.join(QStringLiteral("\r\n"));
    setEditorText(scriptEditor, script);
    host.inputAnswer = QStringLiteral("10000");

    library.repeatWholeText();
    EXPECT_EQ(host.lastStatus(), "200020 lines total.");
    EXPECT_EQ(editor(), QStringList(10001, script).join(QStringLiteral("\r\n")));

    scriptEditor.undo();
    EXPECT_EQ(editor(), script);

    library.repeatLastLine();
    EXPECT_EQ(host.lastStatus(), "10020 lines total.");
    EXPECT_EQ(editor(), script + QString(QStringLiteral("\r\n") + lines.last()).repeated(10000));
}

} // namespace
