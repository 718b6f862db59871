#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// One thing a script check found: the 1-based line and what a run would do there.
struct ScriptFinding {
    int line = 0;
    QString message;
    QString cause;   // of a line that fails: what is wrong with it, in a sentence of its own
    int errorNumber = 0; // of a line that fails: the error it fails with
    bool note = false; // worth knowing, nothing wrong: a check does not fail for it
};

// Whether the "$$$" markers have a text (the caller has put it in) or would have none.
enum class VariableText { Given, Missing };

// Looks at a script's lines, without running them, for what would make a run do nothing, fail
// or never end where the writer may not expect it: unknown words (with the nearest known one),
// field counts and values a line cannot use, "goto" targets outside the script, malformed "#"
// markers, empty lines a run parks on, and "$$$" with no text. Comment lines ("rem", or an
// empty word) are passed over, except for their "#" markers, which every line's fields 1 and
// 2 go through. Lines with NavRelay's own checks get a note: a script that used their words to
// mark comments changes meaning.
[[nodiscard]] std::vector<ScriptFinding> checkScript(const QStringList &lines, VariableText variable);

// What is wrong with the 1-based line of the script that failed with the error number, in one
// sentence, when a check of the script can tell.
[[nodiscard]] QString failureCause(const QStringList &lines, int line, int errorNumber);
