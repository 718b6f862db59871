#include "app/ScriptHighlighter.h"

#include "engine/CommandWords.h"

#include <QRegularExpression>

namespace {

QTextCharFormat textFormat(const QColor &colour, bool bold = false, bool italic = false)
{
    QTextCharFormat format;
    format.setForeground(colour);
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(italic);
    return format;
}

const QTextCharFormat &commandFormat()
{
    static const QTextCharFormat format = textFormat(QColor(0x1a, 0x3f, 0x9f), true);
    return format;
}

const QTextCharFormat &conditionFormat()
{
    static const QTextCharFormat format = textFormat(QColor(0x80, 0x20, 0x90), true);
    return format;
}

const QTextCharFormat &commentFormat()
{
    static const QTextCharFormat format = textFormat(QColor(0x70, 0x70, 0x70), false, true);
    return format;
}

const QTextCharFormat &markerFormat()
{
    static const QTextCharFormat format = textFormat(QColor(0xc0, 0x60, 0x00), true);
    return format;
}

const QTextCharFormat &unknownFormat()
{
    static const QTextCharFormat format = [] {
        QTextCharFormat unknown = textFormat(QColor(0xb0, 0x10, 0x10));
        unknown.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        unknown.setUnderlineColor(Qt::red);
        return unknown;
    }();
    return format;
}

} // namespace

ScriptHighlighter::ScriptHighlighter(QTextDocument *document, QStringList commandWords, QStringList conditionalActions)
    : QSyntaxHighlighter(document)
    , m_commandWords(std::move(commandWords))
    , m_conditionalActions(std::move(conditionalActions))
{
}

void ScriptHighlighter::highlightBlock(const QString &text)
{
    if (text.isEmpty())
        return;
    if (isCommentWord(text.section(QLatin1Char(';'), 0, 0))) {
        setFormat(0, int(text.size()), commentFormat());
        return;
    }
    const QStringList fields = text.split(QLatin1Char(';'));
    const QString word = fields.at(0).toLower();
    if (word == QLatin1String("if") || word == QLatin1String("not")) {
        setFormat(0, int(fields.at(0).size()), conditionFormat());
        // if;TEXT;ACTION;...: the action word is the third field.
        if (fields.size() > 2) {
            const qsizetype actionStart = fields.at(0).size() + fields.at(1).size() + 2;
            formatWord(actionStart, fields.at(2), m_conditionalActions, commandFormat());
        }
    } else {
        formatWord(0, fields.at(0), m_commandWords, commandFormat());
    }
    formatMarkers(text);
}

void ScriptHighlighter::formatWord(qsizetype start, const QString &word, const QStringList &known,
                                   const QTextCharFormat &format)
{
    if (word.isEmpty())
        return;
    setFormat(int(start), int(word.size()), known.contains(word.toLower()) ? format : unknownFormat());
}

void ScriptHighlighter::formatMarkers(const QString &text)
{
    static const QRegularExpression markers(QStringLiteral("\\$\\$\\$|#[^#;]*#"));
    for (auto match = markers.globalMatch(text); match.hasNext();) {
        const auto found = match.next();
        setFormat(int(found.capturedStart()), int(found.capturedLength()), markerFormat());
    }
}
