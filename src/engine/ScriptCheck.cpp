#include "engine/ScriptCheck.h"

#include "engine/CommandWords.h"
#include "engine/ScriptError.h"
#include "engine/ScriptText.h"
#include "engine/Values.h"

#include <array>
#include <optional>

namespace {

enum class FieldKind { Text, Int16, Int32, Flag };

// The top-level words whose fields are read the same way on every line: how many the line must
// have after the word, and how the first two are read.
struct Syntax {
    QLatin1StringView word;
    int required;
    std::array<FieldKind, 2> kinds{FieldKind::Text, FieldKind::Text};
};

constexpr Syntax kSyntax[] = {
    {QLatin1StringView("beep"), 0},         {QLatin1StringView("nav"), 1},
    {QLatin1StringView("clink"), 1},        {QLatin1StringView("fill"), 2},
    {QLatin1StringView("fillappend"), 2},   {QLatin1StringView("clickbuttonbyname"), 1},
    {QLatin1StringView("sleep"), 1, {FieldKind::Int32, FieldKind::Text}},
    {QLatin1StringView("back"), 0},         {QLatin1StringView("clinknew"), 1},
    {QLatin1StringView("clickclass"), 1},   {QLatin1StringView("fillclass"), 2},
    {QLatin1StringView("fillbyid"), 2},     {QLatin1StringView("fillappendbyid"), 2},
    {QLatin1StringView("clickelementbyid"), 2, {FieldKind::Text, FieldKind::Flag}},
    {QLatin1StringView("clickelementbyname"), 2, {FieldKind::Text, FieldKind::Flag}},
    {QLatin1StringView("clickinputimg"), 1}, {QLatin1StringView("quitie"), 0},
    {QLatin1StringView("stopie"), 0},
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
    void add(const QString &message) { m_findings.push_back({int(m_index) + 1, message}); }

    void checkLine(const QString &line)
    {
        if (line.isEmpty()) {
            add(QStringLiteral("empty line: a run stops here and never finishes"));
            return;
        }
        if (m_variable == VariableText::Missing && hasVariableMarker(line))
            add(QStringLiteral("\"$$$\" has no text: give it with --var, or the run asks for it"));
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
                add(QStringLiteral("field %1 has a single \"#\": the line fails with %2").arg(index).arg(errorText(SubscriptOutOfRange)));
            else if (!isNumericText(pieces.at(1)))
                add(QStringLiteral("field %1 has no number between its \"#\" markers: the line fails with %2")
                        .arg(index)
                        .arg(errorText(TypeMismatch)));
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
        add(QStringLiteral("field %1 \"%2\" %3: the line fails with %4%5")
                .arg(index)
                .arg(m_fields.at(index), problem, errorText(*failure), suffix));
    }

    void requireFields(const QString &word, int required)
    {
        const qsizetype present = m_fields.size() - 1;
        if (present < required)
            add(QStringLiteral("\"%1\" needs %2 field(s) after the word, the line has %3: it fails with %4")
                    .arg(word)
                    .arg(required)
                    .arg(present)
                    .arg(errorText(SubscriptOutOfRange)));
    }

    // The line a "goto" to that number runs next must be in the script, or just past its end.
    void checkGotoTarget(double target, const QString &suffix)
    {
        const qsizetype lineCount = m_lines.size();
        qint16 index = 0;
        try {
            index = toInt16(target - 2);
        } catch (const ScriptError &error) {
            add(QStringLiteral("\"goto\" target is out of range: the line fails with %1%2").arg(errorText(error.number()), suffix));
            return;
        }
        const int next = index + 2;
        if (next < 1 || next > lineCount + 1)
            add(QStringLiteral("\"goto\" to line %1, outside lines 1 to %2 (%3 ends the run): the run halts with %4%5")
                    .arg(next)
                    .arg(lineCount)
                    .arg(lineCount + 1)
                    .arg(errorText(SubscriptOutOfRange), suffix));
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
            requireFields(word, 1);
            checkValue(parameters >= 2 ? 2 : 1, FieldKind::Int16);
        } else if (word == QLatin1String("goto")) {
            requireFields(word, 1);
            if (parameters >= 1 && !valueUnknown(1)) {
                if (const auto target = parseNumericText(m_fields.at(1)))
                    checkGotoTarget(*target, {});
                else
                    add(QStringLiteral("\"goto\" needs a line number: the run shows an error message and goes on"));
            }
        } else if (const Syntax *syntax = syntaxOf(word)) {
            requireFields(word, syntax->required);
            for (int index = 1; index <= syntax->required; ++index)
                checkValue(index, syntax->kinds[std::size_t(index - 1)]);
        } else {
            add(unknownWordMessage(QStringLiteral("command"), m_fields.at(0), topLevelWords())
                + QStringLiteral(": the line does nothing"));
        }
    }

    void checkConditional()
    {
        if (m_fields.size() < 3) {
            add(QStringLiteral("\"%1\" needs a condition and an action: the line fails with %2%3")
                    .arg(m_fields.at(0), errorText(SubscriptOutOfRange), kWhenConditionHolds));
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
        add(QStringLiteral("\"%1\" without a parameter: the line fails with %2%3")
                .arg(m_fields.at(2), errorText(TypeMismatch), kWhenConditionHolds));
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
