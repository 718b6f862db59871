#pragma once

#include "cli/RunOptions.h"

// Exit statuses of navrelay-run --record besides RunFinished and RunBadInput.
inline constexpr int kRecordNoDisplay = 2;

// Shows Chromium in a window and writes what the person does there to the recording's file as
// script lines, each as soon as it is known, until the browser is closed.
[[nodiscard]] int recordScript(const RunOptions &options);
