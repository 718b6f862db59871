#pragma once

#include "cli/RunOptions.h"

#include <memory>

class Browser;
class WindowParts;

// Exit statuses of navrelay-run.
enum RunExit : int {
    RunFinished = 0,
    RunBadInput = 1, // bad arguments, an unreadable or refused script, "$$$" without a text, or no browser
    RunHalted = 2,   // a trapped error or a failed check, or with --strict a failed lookup or load, halted the run
    RunUnfinished = 3, // parked on an empty line, waiting or running at the time limit, or stopped by a signal
    RunLoadsFailed = 4, // the run finished, but pages it asked for did not load
};

// The browser the options name; isolatedProfile is the profile folder of an --isolated run, which
// outlives the browser. The built-in one is open on a blank page, shown with --show when the
// window parts are there.
[[nodiscard]] std::unique_ptr<Browser> createBrowser(const RunOptions &options, const QString &isolatedProfile,
                                                     const WindowParts *windowParts = nullptr);

// Runs one script on the chosen browser with the same runner the main window uses. The window
// parts, when loaded, show the built-in engine's windows and draw its pages for the evidence.
[[nodiscard]] int runScript(const RunOptions &options, const WindowParts *windowParts);
