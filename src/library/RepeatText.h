#pragma once

#include <QString>

#include <optional>

// The text the repeat generators append to a script: count copies of a piece, each after a
// CR LF, built in one allocation. Nothing when the script would grow past kMaxScriptLength.

// Repeat All: copies of the whole text.
[[nodiscard]] std::optional<QString> repeatAllTail(const QString &text, int count);
// Repeat Last: copies of the text's last line. The empty text has no lines, so nothing is added.
[[nodiscard]] std::optional<QString> repeatLastTail(const QString &text, int count);
