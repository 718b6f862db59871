#pragma once

#include "cli/SuiteResult.h"

#include <QString>

#include <vector>

// Writes DIR/index.html: a summary of the suite, then for each try of each run its lines (when,
// how long, the wait for the page, the outcome and the address), the line that failed marked
// with its message, the picture of the page it failed on and, with --trace, a picture after
// every navigation. One file, its pictures inside it, no script and nothing fetched: it opens
// from the file system in any browser. Each try's records come from its own report; its
// pictures from the evidence folder. False, and `error` says why, when it cannot be written.
[[nodiscard]] bool writeHtmlReport(const QString &folder, const std::vector<SuiteCaseResult> &results, int exitStatus,
                                   const QString &evidenceDir, QString &error);
