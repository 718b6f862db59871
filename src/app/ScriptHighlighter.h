#pragma once

#include <QStringList>
#include <QSyntaxHighlighter>

// Colours a script as the runner reads it: command words, conditional lines and their actions,
// comment lines, the "$$$" and "#N#" markers, and words the runner does not know.
class ScriptHighlighter final : public QSyntaxHighlighter {
public:
    ScriptHighlighter(QTextDocument *document, QStringList commandWords, QStringList conditionalActions);

protected:
    void highlightBlock(const QString &text) override;

private:
    void formatWord(qsizetype start, const QString &word, const QStringList &known, const QTextCharFormat &format);
    void formatMarkers(const QString &text);

    QStringList m_commandWords;
    QStringList m_conditionalActions;
};
