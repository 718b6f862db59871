#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Script files: 8-bit text in the locale's encoding, one script line per text line.

// The editor text a file's bytes give: its lines joined by CR LF, with no line break after the
// last. Lines may end in CR LF or LF.
[[nodiscard]] QString scriptTextFromBytes(const QByteArray &bytes);
// The file's script text, or nothing when it cannot be read.
[[nodiscard]] std::optional<QString> readScriptFile(const QString &path);
// The bytes a script is saved as: the editor text and one CR LF.
[[nodiscard]] QByteArray scriptFileBytes(const QString &editorText);
