#include "engine/ScriptCheck.h"

#include "engine/CommandWords.h"
#include "engine/ScriptError.h"
#include "engine/ScriptText.h"
#include "engine/TextWait.h"
#include "engine/Values.h"

#include <array>
#include <optional>

namespace {

enum class FieldKind { Text, Int16, Int32, Flag, Seconds };

// The top-level words whose fields are read the same way on every line: how many the line must
// have after the word, what they are, and how the first two are read.
struct Syntax {
    QLatin1StringView word;
    int required;
    QLatin1StringView needs;
    std::array<FieldKind, 2> kinds{FieldKind::Text, FieldKind::Text};
};

constexpr Syntax kSyntax[] = {
    {QLatin1StringView("beep"), 0, {}},
    {QLatin1StringView("nav"), 1, QLatin1StringView("an address")},
    {QLatin1StringView("clink"), 1, QLatin1StringView("the text of a link")},
    {QLatin1StringView("fill"), 2, QLatin1StringView("a field and a value")},
    {QLatin1StringView("fillappend"), 2, QLatin1StringView("a field and a value")},
    {QLatin1StringView("clickbuttonbyname"), 1, QLatin1StringView("the name of a button")},
    {QLatin1StringView("sleep"), 1, QLatin1StringView("milliseconds"), {FieldKind::Int32, FieldKind::Text}},
    {QLatin1StringView("back"), 0, {}},
    {QLatin1StringView("clinknew"), 1, QLatin1StringView("the text of a link")},
    {QLatin1StringView("clickclass"), 1, QLatin1StringView("a class")},
    {QLatin1StringView("fillclass"), 2, QLatin1StringView("a class and a text")},
    {QLatin1StringView("fillbyid"), 2, QLatin1StringView("an id and a value")},
    {QLatin1StringView("fillappendbyid"), 2, QLatin1StringView("an id and a value")},
    {QLatin1StringView("clickelementbyid"), 2, QLatin1StringView("an id and true or false"), {FieldKind::Text, FieldKind::Flag}},
    {QLatin1StringView("clickelementbyname"), 2, QLatin1StringView("a name and true or false"), {FieldKind::Text, FieldKind::Flag}},
    {QLatin1StringView("clickinputimg"), 1, QLatin1StringView("the address of an image")},
    {QLatin1StringView("quitie"), 0, {}},
    {QLatin1StringView("stopie"), 0, {}},
    {QLatin1StringView("assert"), 1, QLatin1StringView("a text")},
    {QLatin1StringView("refute"), 1, QLatin1StringView("a text")},
    {QLatin1StringView("waitfor"), 1, QLatin1StringView("a text"), {FieldKind::Text, FieldKind::Seconds}},
};

const QString kWhenConditionHolds = QStringLiteral(" when its condition holds");

QString errorText(int number)
{
    return QStringLiteral("%1 (%2)").arg(number).arg(ScriptError::standardDescription(number));
}

// The error number reading the field as that kind fails with, if it fails.
std::optional<int> conversionFailure(const QString &field, FieldKind kind)
{
    try {
        switch (kind) {
        case FieldKind::Int16: (void)toInt16(field); break;
        case FieldKind::Int32: (void)toInt32(field); break;
        case FieldKind::Flag: (void)toFlag(field); break;
        case FieldKind::Seconds: (void)waitTimeoutMs(field); break;
        case FieldKind::Text: break;
        }
    } catch (const ScriptError &error) {
        return error.number();
    }
    return std::nullopt;
}

class ScriptChecker {
public:
    ScriptChecker(const QStringList &lines, VariableText variable) : m_lines(lines), m_variable(variable) {}

    std::vector<ScriptFinding> run()
    {
        for (m_index = 0; m_index < m_lines.size(); ++m_index)
            checkLine(m_lines.at(m_index));
        return std::move(m_findings);
    }

private:
    void add(const QString &message) { m_findings.push_back({int(m_index) + 1, message, {}, 0, false}); }
    void addNote(const QString &message) { m_findings.push_back({int(m_index) + 1, message, {}, 0, true}); }
    // A line that fails: the cause, then how, "the line fails with 9 (Subscript out of range)".
    void addFailure(const QString &cause, int number, const QString &how = QStringLiteral("the line fails with"),
                    const QString &suffix = {})
    {
        m_findings.push_back(
            {int(m_index) + 1, QStringLiteral("%1: %2 %3%4").arg(cause, how, errorText(number), suffix), cause, number, false});
    }

    void checkLine(const QString &line)
    {
        if (line.isEmpty()) {
            add(QStringLiteral("empty line: a run stops here and never finishes"));
            return;
        }
        if (m_variable == VariableText::Missing && hasVariableMarker(line))
            add(QStringLiteral("\"$$$\" has no text: give it with --var, --var-env or --var-file (a run in a terminal asks for it)"));
        m_fields = splitFields(line);
        checkRandomMarkers();
        const QString word = m_fields.at(0).toLower();
        if (word == QLatin1String("if") || word == QLatin1String("not"))
            checkConditional();
        else if (!isCommentWord(word))
            checkTopLevel(word);
    }

    // Fields 1 and 2 of every line go through the "#" rule before the word is looked at.
    void checkRandomMarkers()
    {
        m_random = {false, false, false};
        for (int index = 1; index <= 2 && index < m_fields.size(); ++index) {
            const QString &field = m_fields.at(index);
            if (!field.contains(QLatin1Char('#')))
                continue;
            const QStringList pieces = field.split(QLatin1Char('#'));
            if (pieces.size() < 3)
                addFailure(QStringLiteral("field %1 has a single \"#\"").arg(index), SubscriptOutOfRange);
            else if (!isNumericText(pieces.at(1)))
                addFailure(QStringLiteral("field %1 has no number between its \"#\" markers").arg(index), TypeMismatch);
            m_random[index] = true;
        }
    }

    // A field whose value the check cannot know: random, or waiting for its "$$$" text.
    [[nodiscard]] bool valueUnknown(int index) const
    {
        return (index <= 2 && m_random[index])
            || (m_variable == VariableText::Missing && hasVariableMarker(m_fields.at(index)));
    }

    void checkValue(int index, FieldKind kind, const QString &suffix = {})
    {
        if (index >= m_fields.size() || valueUnknown(index))
            return;
        const auto failure = conversionFailure(m_fields.at(index), kind);
        if (!failure)
            return;
        const QString problem = *failure == Overflow ? QStringLiteral("is out of range")
            : kind == FieldKind::Flag                 ? QStringLiteral("is not true, false or a number")
                                                      : QStringLiteral("is not a number");
        addFailure(QStringLiteral("field %1 \"%2\" %3").arg(index).arg(m_fields.at(index), problem), *failure,
                   QStringLiteral("the line fails with"), suffix);
    }

    void requireFields(const QString &word, int required, const QString &needs)
    {
        const qsizetype present = m_fields.size() - 1;
        if (present < required)
            addFailure(QStringLiteral("\"%1\" needs %2, the line has %3 field(s) after the word").arg(word, needs).arg(present),
                       SubscriptOutOfRange, QStringLiteral("it fails with"));
    }

    // The line a "goto" to that number runs next must be in the script, or just past its end.
    void checkGotoTarget(double target, const QString &suffix)
    {
        const qsizetype lineCount = m_lines.size();
        qint16 index = 0;
        try {
            index = toInt16(target - 2);
        } catch (const ScriptError &error) {
            addFailure(QStringLiteral("\"goto\" target is out of range"), error.number(), QStringLiteral("the line fails with"), suffix);
            return;
        }
        const int next = index + 2;
        if (next < 1 || next > lineCount + 1)
            addFailure(QStringLiteral("\"goto\" to line %1, outside lines 1 to %2 (%3 ends the run)").arg(next).arg(lineCount).arg(lineCount + 1),
                       SubscriptOutOfRange, QStringLiteral("the run halts with"), suffix);
    }

    void checkTopLevel(const QString &word)
    {
        const qsizetype parameters = m_fields.size() - 1;
        if (word == QLatin1String("stopscript")) {
            add(QStringLiteral("\"stopscript\" is an action of \"if\" and \"not\" lines only: here it does nothing"));
        } else if (word == QLatin1String("clickbutton")) {
            if (parameters == 0 || parameters > 2)
                add(QStringLiteral("\"clickbutton\" with %1 field(s) after the word does nothing: it takes a value and an "
                                   "optional true or false")
                        .arg(parameters));
            else
                checkValue(2, FieldKind::Flag);
        } else if (word == QLatin1String("clickitem")) {
            requireFields(word, 1, QStringLiteral("an index, or a name and an index"));
            checkValue(parameters >= 2 ? 2 : 1, FieldKind::Int16);
        } else if (word == QLatin1String("goto")) {
            requireFields(word, 1, QStringLiteral("a line number"));
            if (parameters >= 1 && !valueUnknown(1)) {
                if (const auto target = parseNumericText(m_fields.at(1)))
                    checkGotoTarget(*target, {});
                else
                    add(QStringLiteral("\"goto\" needs a line number: the run shows an error message and goes on"));
            }
        } else if (const Syntax *syntax = syntaxOf(word)) {
            requireFields(word, syntax->required, syntax->needs);
            for (int index = 1; index <= 2; ++index)
                checkValue(index, syntax->kinds[std::size_t(index - 1)]);
            if (isCheckWord(word))
                addNote(QStringLiteral("\"%1\" is a check of NavRelay's own: the run halts here unless the page %2 "
                                       "(a script that used the word to mark a comment changes meaning)")
                            .arg(word, checkedPage(word)));
        } else {
            add(unknownWordMessage(QStringLiteral("command"), m_fields.at(0), topLevelWords())
                + QStringLiteral(": the line does nothing"));
        }
    }

    void checkConditional()
    {
        if (m_fields.size() < 3) {
            addFailure(QStringLiteral("\"%1\" needs a condition and an action").arg(m_fields.at(0)), SubscriptOutOfRange,
                       QStringLiteral("the line fails with"), kWhenConditionHolds);
            return;
        }
        checkValue(4, FieldKind::Int16, kWhenConditionHolds);
        if (valueUnknown(2))
            return;
        const QString action = m_fields.at(2).toLower();
        const QString parameter = m_fields.size() > 3 ? m_fields.at(3) : QString();
        if (action == QLatin1String("sleep")) {
            checkConditionalParameter(FieldKind::Int32);
        } else if (action == QLatin1String("goto")) {
            checkConditionalParameter(FieldKind::Int32);
            if (m_fields.size() > 3 && !valueUnknown(3) && !conversionFailure(parameter, FieldKind::Int32))
                checkGotoTarget(double(toInt32(parameter)), kWhenConditionHolds);
        } else if (action == QLatin1String("clickitem")) {
            const bool byPosition = m_fields.size() < 5 || conversionFailure(m_fields.at(4), FieldKind::Int16)
                || toInt16(m_fields.at(4)) == 0;
            if (byPosition)
                checkConditionalParameter(FieldKind::Int16);
        } else if (!conditionalActions().contains(action)) {
            add((topLevelWords().contains(action)
                     ? QStringLiteral("\"%1\" is no action of \"if\" and \"not\" lines").arg(m_fields.at(2))
                     : unknownWordMessage(QStringLiteral("action"), m_fields.at(2), conditionalActions()))
                + QStringLiteral(": the line does nothing"));
        }
    }

    // The action's parameter is field 3, the empty text when the line has none.
    void checkConditionalParameter(FieldKind kind)
    {
        if (m_fields.size() > 3) {
            checkValue(3, kind, kWhenConditionHolds);
            return;
        }
        addFailure(QStringLiteral("\"%1\" without a parameter").arg(m_fields.at(2)), TypeMismatch,
                   QStringLiteral("the line fails with"), kWhenConditionHolds);
    }

    [[nodiscard]] static QString checkedPage(const QString &word)
    {
        if (word == QLatin1String("refute"))
            return QStringLiteral("lacks the text");
        if (word == QLatin1String("waitfor"))
            return QStringLiteral("holds the text within its time");
        return QStringLiteral("holds the text");
    }

    [[nodiscard]] static const Syntax *syntaxOf(const QString &word)
    {
        for (const Syntax &syntax : kSyntax)
            if (syntax.word == word)
                return &syntax;
        return nullptr;
    }

    const QStringList &m_lines;
    VariableText m_variable;
    qsizetype m_index = 0;
    QStringList m_fields;
    std::array<bool, 3> m_random{};
    std::vector<ScriptFinding> m_findings;
};

} // namespace

std::vector<ScriptFinding> checkScript(const QStringList &lines, VariableText variable)
{
    return ScriptChecker(lines, variable).run();
}

QString failureCause(const QStringList &lines, int line, int errorNumber)
{
    for (const ScriptFinding &finding : checkScript(lines, VariableText::Given)) {
        if (finding.line == line && finding.errorNumber == errorNumber && !finding.cause.isEmpty())
            return finding.cause;
    }
    return {};
}
