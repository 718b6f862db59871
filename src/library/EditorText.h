#pragma once

#include <QString>

class QPlainTextEdit;

// The script editor holds lines; the script text is those lines joined by CR LF. The widget keeps
// no line-break characters of its own, so a lone CR or LF in a loaded text becomes a line break.

// The longest script text the editor is given, by loading or by repetition: beyond it the
// widget needs seconds per change and hundreds of megabytes.
inline constexpr qsizetype kMaxScriptLength = 32 * 1024 * 1024;
// The longest line a loaded script may have: a wrapped line costs the widget time that grows
// with the square of its length (64K characters take seconds), and script lines are short.
inline constexpr qsizetype kMaxLineLength = 16 * 1024;

[[nodiscard]] QString editorText(const QPlainTextEdit &editor);
// The text set is the editor's text as loaded: nothing in it is an unsaved change.
void setEditorText(QPlainTextEdit &editor, const QString &text);
// Appends the text at the end as one edit, which the user can undo.
void appendEditorText(QPlainTextEdit &editor, const QString &text);
// The length of the text's longest line.
[[nodiscard]] qsizetype longestLine(const QString &text);
// The number of lines of a script text: none for the empty text, else one more than its CR LFs.
[[nodiscard]] qsizetype lineCount(const QString &text);
