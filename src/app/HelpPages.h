#pragma once

#include <QString>

// The pages shipped in docs/ that stand for the product's online help and home page, as file
// URLs.
[[nodiscard]] QString commandReferenceUrl();
[[nodiscard]] QString userGuideUrl();

// Where the docs page NAME is: the first of PROGRAM/docs (a copied build), the share folder of
// the prefix the program is installed in (PROGRAM/../share/navrelay/docs, so a moved prefix keeps
// its docs) and the source tree it was built from; the last when none holds it.
[[nodiscard]] QString docsPagePath(const QString &programFolder, const QString &sourceDocsFolder, const QString &name);
