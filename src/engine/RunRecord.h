#pragma once

#include <QString>

#include <optional>

// How an executed line ended.
enum class LineOutcome {
    Ran,        // it ran, and its page came if it started one
    Halted,     // it failed and halted the run
    Restarted,  // the browser was gone: the run attached one again and started over
    Unfinished, // the run ended while the line still waited or slept
    LoadFailed, // it ran, and the page it asked for did not come: the browser shows its error page
};

// One executed line of a run.
struct LineRecord {
    int line = 0; // 1-based
    QString text; // as the run held it, "$$$" replaced
    QString command; // the command word, lower-cased
    qint64 startMs = 0; // from the start of the run
    qint64 durationMs = 0; // running the line, its sleep included
    qint64 pageWaitMs = 0; // from the end of the line to the first page that came after it
    qint64 elementWaitMs = 0; // waiting for the element the line acts on to come (part of durationMs)
    QString address; // the window's address once the line was done
    int httpStatus = 0; // of the page shown then; 0 when it did not come over HTTP
    LineOutcome outcome = LineOutcome::Ran;
    QString message; // why the line halted or did not finish
    std::optional<int> errorNumber; // of the failure that halted or restarted the run
    bool pageArrived = false; // a page came after the line
};

// How a whole run ended.
struct RunSummary {
    int exitStatus = 0;
    int linesRun = 0;
    quint64 pagesLoaded = 0;
    qint64 totalMs = 0;
    QString message; // what ended the run; empty when it finished
};

// "ran", "halted", "restarted", "unfinished", "load_failed".
[[nodiscard]] QString outcomeName(LineOutcome outcome);
// `line 3 "clink;Next"`: how messages name a line.
[[nodiscard]] QString lineLabel(const LineRecord &record);
