#pragma once

#include <QFile>
#include <QString>

#include <memory>

// The files a run writes hold what its pages showed: they are the user's alone, and a link
// another user planted at their path never redirects them.

// Opens the file for writing, made or emptied, readable by its owner only; a symbolic link at
// the path is refused. `error` says why it cannot be opened.
[[nodiscard]] std::unique_ptr<QFile> openPrivateFile(const QString &path, QString &error);
// Creates a file that must not exist yet, readable by its owner only.
[[nodiscard]] std::unique_ptr<QFile> createPrivateFile(const QString &path, QString &error);
// Makes the folder and the folders above it that are missing, readable by their owner only;
// false, and `error` says why, when it cannot.
[[nodiscard]] bool makePrivateFolders(const QString &path, QString &error);
