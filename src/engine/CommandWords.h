#pragma once

#include <QStringList>

// The command words a line may begin with, as the runner dispatches them (lower case).
[[nodiscard]] const QStringList &topLevelCommandWords();
// The action words a conditional "if" or "not" line may name.
[[nodiscard]] const QStringList &conditionalActionWords();
