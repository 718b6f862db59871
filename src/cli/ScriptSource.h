#pragma once

#include <QString>

#include <optional>

// The script text of a file, as the editor would load it, or of standard input for "-";
// nothing when it cannot be read.
[[nodiscard]] std::optional<QString> readScriptSource(const QString &path);
// The name messages give the script: its path, or "<stdin>".
[[nodiscard]] QString scriptSourceName(const QString &path);
