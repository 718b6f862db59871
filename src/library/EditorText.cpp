#include "library/EditorText.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {

const QString kLineBreak = QStringLiteral("\r\n");

} // namespace

QString editorText(const QPlainTextEdit &editor)
{
    // Block by block rather than toPlainText(), which turns non-breaking spaces into blanks.
    const QTextDocument &document = *editor.document();
    QString text;
    text.reserve(document.characterCount() + document.blockCount());
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin())
            text += kLineBreak;
        text += block.text();
    }
    return text;
}

void setEditorText(QPlainTextEdit &editor, const QString &text)
{
    editor.setPlainText(text);
    editor.document()->setModified(false);
}

void appendEditorText(QPlainTextEdit &editor, const QString &text)
{
    QTextCursor cursor(editor.document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
}

qsizetype lineCount(const QString &text)
{
    return text.isEmpty() ? 0 : text.count(kLineBreak) + 1;
}

qsizetype longestLine(const QString &text)
{
    qsizetype longest = 0;
    qsizetype start = 0;
    for (qsizetype end = text.indexOf(kLineBreak); end >= 0; end = text.indexOf(kLineBreak, start)) {
        longest = std::max(longest, end - start);
        start = end + kLineBreak.size();
    }
    return std::max(longest, text.size() - start);
}
