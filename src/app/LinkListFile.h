#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Link list files: 8-bit text in the locale's encoding, one address per line, each line
// followed by CR LF.

// Every line is an entry, an empty one included; a last line without a line break is read too.
// Lines may end in CR LF or LF.
[[nodiscard]] QStringList linkEntriesFromBytes(const QByteArray &bytes);
[[nodiscard]] QByteArray linkFileBytes(const QStringList &entries);

// The entries of the file, or nothing when it cannot be read or is far too large for a list.
[[nodiscard]] std::optional<QStringList> readLinkFile(const QString &path);
// Writes a temporary file beside the target and renames it over the target, so a failed write
// leaves the old file whole; false when the file could not be written.
[[nodiscard]] bool writeLinkFile(const QString &path, const QStringList &entries);
