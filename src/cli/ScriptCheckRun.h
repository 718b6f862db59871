#pragma once

struct RunOptions;

// --check: prints FILE:LINE: message for every finding in the scripts, without running them.
// 0 when every script is clean, 1 for findings or a script that cannot be read.
[[nodiscard]] int checkScripts(const RunOptions &options);
