#pragma once

#include <QString>

#include <optional>

// Script files of the library and of the Open and Save dialogs.

// The script text of a regular file no longer than the editor takes; nothing otherwise (missing,
// a folder, a pipe or device that could block the reading, unreadable, too long, or with a line
// too long for the editor, as zero-filled and other binary files often have).
[[nodiscard]] std::optional<QString> loadScriptText(const QString &path);
// Writes the text and one CR LF to a temporary file and renames it over the old one, so that a
// failed write leaves the old file whole. Nothing when written, else why it failed.
[[nodiscard]] std::optional<QString> writeScriptFile(const QString &path, const QString &text);
// Moves the file to the desktop's trash, or deletes it where there is no trash; false when the
// file is still there.
[[nodiscard]] bool removeScriptFile(const QString &path);
