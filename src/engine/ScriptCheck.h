#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// One thing a script check found: the 1-based line and what a run would do there.
struct ScriptFinding {
    int line = 0;
    QString message;
};

// Whether the "$$$" markers have a text (the caller has put it in) or would have none.
enum class VariableText { Given, Missing };

// Looks at a script's lines, without running them, for what would make a run do nothing, fail
// or never end where the writer may not expect it: unknown words (with the nearest known one),
// field counts and values a line cannot use, "goto" targets outside the script, malformed "#"
// markers, empty lines a run parks on, and "$$$" with no text. Comment lines ("rem", or an
// empty word) are passed over, except for their "#" markers, which every line's fields 1 and
// 2 go through.
[[nodiscard]] std::vector<ScriptFinding> checkScript(const QStringList &lines, VariableText variable);
