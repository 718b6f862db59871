#include "QtPrinters.h"

#include "engine/ScriptCheck.h"
#include "engine/ScriptText.h"

#include <gtest/gtest.h>

namespace {

struct Expected {
    int line;
    QString start; // the finding's message starts so
};

void expectFindings(const QString &script, VariableText variable, const std::vector<Expected> &expected)
{
    const std::vector<ScriptFinding> findings = checkScript(splitLines(script), variable);
    ASSERT_EQ(findings.size(), expected.size());
    for (std::size_t i = 0; i < findings.size(); ++i) {
        EXPECT_EQ(findings[i].line, expected[i].line) << findings[i].message.toStdString();
        EXPECT_TRUE(findings[i].message.startsWith(expected[i].start))
            << "line " << findings[i].line << ": " << findings[i].message.toStdString();
    }
}

TEST(ScriptCheck, FindsEveryLineARunWouldSkipFailOrStopOn)
{
    const QString script = QStringLiteral(
        "rem;a comment is fine\r\n"
        "clnk;Next\r\n"
        "if;x;clickclass;y\r\n"
        "if;x;frob\r\n"
        "fill;q\r\n"
        "clickbutton;Go;true;x\r\n"
        "goto;abc\r\n"
        "goto;99\r\n"
        "nav;http://x/#top\r\n"
        "fill;#x#;v\r\n"
        "\r\n"
        "nav;$$$/a.html\r\n"
        "sleep;soon\r\n"
        "clickelementbyid;e;maybe\r\n"
        "if;x\r\n"
        "if;x;goto;0\r\n"
        "clickitem;q;99999\r\n"
        "stopscript\r\n"
        "goto;20");
    expectFindings(script, VariableText::Missing,
                   {{2, "unknown command \"clnk\" (nearest: \"clink\"): the line does nothing"},
                    {3, "\"clickclass\" is no action of \"if\" and \"not\" lines: the line does nothing"},
                    {4, "unknown action \"frob\""},
                    {5, "\"fill\" needs a field and a value, the line has 1 field(s) after the word: it fails with 9 (Subscript out of range)"},
                    {6, "\"clickbutton\" with 3 field(s) after the word does nothing"},
                    {7, "\"goto\" needs a line number"},
                    {8, "\"goto\" to line 99, outside lines 1 to 19 (20 ends the run)"},
                    {9, "field 1 has a single \"#\": the line fails with 9"},
                    {10, "field 1 has no number between its \"#\" markers: the line fails with 13 (Type mismatch)"},
                    {11, "empty line: a run stops here and never finishes"},
                    {12, "\"$$$\" has no text"},
                    {13, "field 1 \"soon\" is not a number: the line fails with 13 (Type mismatch)"},
                    {14, "field 2 \"maybe\" is not true, false or a number"},
                    {15, "\"if\" needs a condition and an action: the line fails with 9 (Subscript out of range) when its condition holds"},
                    {16, "\"goto\" to line 0"},
                    {17, "field 2 \"99999\" is out of range: the line fails with 6 (Overflow)"},
                    {18, "\"stopscript\" is an action of \"if\" and \"not\" lines only"}});
}

// A script that used these words for comments changes meaning: every such line gets a note,
// and their fields are checked as any word's.
TEST(ScriptCheck, NavRelaysOwnChecksGetANoteAndTheirFieldsChecked)
{
    const QString script = QStringLiteral("assert;Welcome\r\nrefute\r\nwaitfor;Done;soon\r\nWAITFOR;Done;2.5\r\nrem;assert");
    expectFindings(script, VariableText::Given,
                   {{1, "\"assert\" is a check of NavRelay's own: the run halts here unless the page holds the text"},
                    {2, "\"refute\" needs a text, the line has 0 field(s) after the word: it fails with 9"},
                    {2, "\"refute\" is a check of NavRelay's own: the run halts here unless the page lacks the text"},
                    {3, "field 2 \"soon\" is not a number: the line fails with 13 (Type mismatch)"},
                    {3, "\"waitfor\" is a check of NavRelay's own"},
                    {4, "\"waitfor\" is a check of NavRelay's own"}});
    const auto findings = checkScript(splitLines(script), VariableText::Given);
    EXPECT_TRUE(findings.front().note);
    EXPECT_FALSE(findings.at(1).note);
}

TEST(ScriptCheck, FailureCauseSaysWhatIsWrongWithTheLineThatFailedWithThatError)
{
    const QStringList lines{QStringLiteral("fill;q"), QStringLiteral("goto;9"), QStringLiteral("sleep;soon")};
    EXPECT_EQ(failureCause(lines, 1, 9), "\"fill\" needs a field and a value, the line has 1 field(s) after the word");
    EXPECT_EQ(failureCause(lines, 2, 9), "\"goto\" to line 9, outside lines 1 to 3 (4 ends the run)");
    EXPECT_EQ(failureCause(lines, 3, 13), "field 1 \"soon\" is not a number");
    EXPECT_EQ(failureCause(lines, 1, 13), "") << "no cause for an error the line does not fail with";
}

TEST(ScriptCheck, CleanScriptHasNoFindings)
{
    expectFindings(QStringLiteral("rem;x\r\n;also a comment\r\nNAV;http://a/\r\nclink;Next\r\nif;x;goto;1\r\n"
                                  "not;y;clickitem;2\r\nclickbutton;Go\r\nclickbutton;Go;1\r\nsleep;#10#\r\n"
                                  "fill;q;$$$\r\nclickelementbyid;e;FALSE\r\ngoto;13"),
                   VariableText::Given, {});
}

} // namespace
