#pragma once

#include <QString>
#include <QStringList>

// The words of the two command tables, for the checks that look at a script before or while it
// runs. The tables themselves are in Commands.cpp.

// The words a line may begin with, in the top-level table's order.
[[nodiscard]] const QStringList &topLevelWords();
// The actions of "if" and "not" lines, in the conditional table's order.
[[nodiscard]] const QStringList &conditionalActions();

// NavRelay's own checks of the page, words the old command set did not have: "assert",
// "refute" and "waitfor".
[[nodiscard]] bool isCheckWord(const QString &word);

// The comment forms a strict run and the script check pass over: "rem" (any letter case) and
// the empty word of a line that begins with ";".
[[nodiscard]] bool isCommentWord(const QString &word);

// "unknown command "clnk" (nearest: "clink")": the word and the known word nearest to it.
[[nodiscard]] QString unknownWordMessage(const QString &kind, const QString &word, const QStringList &knownWords);
