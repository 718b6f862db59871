#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What stands for the operating system's System Information tool: the first of a few known
// system-information programs found on the search path.
[[nodiscard]] const QStringList &systemInformationPrograms();
// The full path of the first of those programs found in the folders (PATH when empty).
[[nodiscard]] std::optional<QString> findSystemInformationProgram(const QStringList &searchFolders = {});
