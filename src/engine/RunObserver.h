#pragma once

class ScriptError;

// Hears a run as it goes, for a host that shows it: each line as it starts and the error a run
// halts with. Called on the thread that ticks the runner; must not tick it.
class RunObserver {
public:
    virtual ~RunObserver() = default;

    // The zero-based line the runner is about to execute.
    virtual void lineStarting(int line) = 0;
    // The run halted on this line with this error (before the error is shown to the user).
    virtual void runHalted(int line, const ScriptError &error) = 0;
};
