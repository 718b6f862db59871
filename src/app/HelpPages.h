#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The pages of docs/ that stand for the product's online help and home page.
inline const QString kCommandReferencePage = QStringLiteral("commands.html");
inline const QString kUserGuidePage = QStringLiteral("user-guide.html");

// Where the docs are sought, in order: PROGRAM/docs (a build, or a copy of one) and the share
// folder of the prefix the program is installed in (PROGRAM/../share/navrelay/docs, so that a
// moved prefix keeps its docs).
[[nodiscard]] QStringList docsFolders(const QString &programFolder);
// The docs page NAME from the first of those folders that holds it; nothing when none does.
[[nodiscard]] std::optional<QString> docsPagePath(const QString &programFolder, const QString &name);
// What the program says when a page is missing: which file, and where it looked.
[[nodiscard]] QString missingDocsPageMessage(const QString &programFolder, const QString &name);
