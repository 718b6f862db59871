#pragma once

#include <QString>

class ScriptError;
struct ActionTarget;

// What a runner tells of the lines it runs, for a run log or a report. Called on the runner's
// thread, from inside its tick.
class RunObserver {
public:
    virtual ~RunObserver() = default;

    // A line starts; its text as the run holds it ("$$$" already replaced).
    virtual void lineStarted(qint16 index, const QString &text) = 0;
    // The line has run (a sleeping line once its sleep is over); a page may still be on its way.
    virtual void lineEnded() = 0;
    // The line failed: the run halts on it, or attaches the browser again and starts over. Told
    // before the host shows the failure.
    virtual void lineFailed(const ScriptError &error, bool restarts) = 0;
    // The browser completed a page.
    virtual void pageCompleted() = 0;
    // The line waits for the element it acts on, for at most that long.
    virtual void elementWaitStarted(const ActionTarget &, qint64 /*timeoutMs*/) {}
    // The line's wait for its element is over after that long: the element came, or not.
    virtual void elementWaitEnded(qint64 /*waitedMs*/, bool /*found*/) {}
};
