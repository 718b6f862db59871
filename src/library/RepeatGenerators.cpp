// Repeat Last and Repeat All: the editor text grown by copies of its last line or of itself.
#include "library/ScriptLibrary.h"

#include "engine/Host.h"
#include "engine/ScriptError.h"
#include "engine/Values.h"
#include "library/EditorText.h"
#include "library/RepeatText.h"

#include <QPlainTextEdit>

namespace {

// The answer as a 16-bit count, rounded to the nearest (a half to the even neighbour); nothing
// when it lies outside that range.
std::optional<qint16> repeatCount(double number)
{
    try {
        return toInt16(number);
    } catch (const ScriptError &) {
        return std::nullopt;
    }
}

} // namespace

void ScriptLibrary::repeatLastLine()
{
    repeat(RepeatPiece::LastLine);
}

void ScriptLibrary::repeatWholeText()
{
    repeat(RepeatPiece::WholeText);
}

void ScriptLibrary::repeat(RepeatPiece piece)
{
    const QString text = editorText(m_editor);
    const QString answer = m_host.inputBox(QStringLiteral("How many times?"), programTitle());
    const std::optional<double> number = parseNumericText(answer);
    if (!number) {
        m_host.messageBox(QStringLiteral("Numbers Only!"), programTitle());
        return;
    }
    const std::optional<qint16> count = repeatCount(*number);
    if (!count) {
        m_host.messageBox(QStringLiteral("Numbers from -32768 to 32767 Only!"), programTitle());
        return;
    }
    const std::optional<QString> tail = piece == RepeatPiece::LastLine ? repeatLastTail(text, *count)
                                                                      : repeatAllTail(text, *count);
    if (!tail) {
        m_host.messageBox(QStringLiteral("The script would grow too long."), programTitle());
        return;
    }
    // The text built once and set once: a large count costs one change of the editor.
    if (!tail->isEmpty())
        appendEditorText(m_editor, *tail);
    m_host.setStatusText(QString::number(lineCount(text + *tail)) + QStringLiteral(" lines total."));
}
