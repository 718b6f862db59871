#pragma once

#include <QDeadlineTimer>
#include <QString>

struct Automation;
class LoadWatch;
class RunRecorder;
class StopSignals;

// How a run ended, as the watch saw it.
struct RunEnd {
    int exitCode = 0;
    QString message; // names the line, empty when the run finished
    int line = 0; // the line the run ended on, 1-based
    bool printed = false; // the message box that halted the run has said it already
    bool lastLineUnfinished = false;
    int errorNumber = 0; // of the trapped failure that halted the run
};

// What ends a run besides its script: its time, a stop signal, and with failing loads the first
// page that did not load.
struct RunLimits {
    QDeadlineTimer deadline;
    int timeoutSeconds = 0;
    const StopSignals *stopSignals = nullptr;
    bool haltOnFailedLoad = false;
};

// Watches the run from outside until it ends one way or another; the event loop runs meanwhile.
// The runner's timer is stopped once the end is seen, so that no line runs after it.
[[nodiscard]] RunEnd waitForRun(Automation &automation, const RunRecorder &recorder, const LoadWatch &loads,
                                const RunLimits &limits);
