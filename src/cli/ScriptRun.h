#pragma once

#include "cli/RunOptions.h"

#include <memory>

class Browser;
class WindowParts;

// Exit statuses of navrelay-run.
enum RunExit : int {
    RunFinished = 0,
    RunBadInput = 1, // bad arguments, an unreadable script, or no browser
    RunHalted = 2,   // a trapped error, or with --strict a failed lookup, halted the run
    RunUnfinished = 3, // parked on an empty line, or waiting or running at the time limit
};

// The browser the options name; isolatedProfile is the profile folder of an --isolated run, which
// outlives the browser. The built-in one is open on a blank page, shown with --show when the
// window parts are there.
[[nodiscard]] std::unique_ptr<Browser> createBrowser(const RunOptions &options, const QString &isolatedProfile,
                                                     const WindowParts *windowParts = nullptr);

// Runs one script on the chosen browser with the same runner the main window uses. The window
// parts, when loaded, show the built-in engine's windows and draw its pages for the evidence.
[[nodiscard]] int runScript(const RunOptions &options, const WindowParts *windowParts);
