#pragma once

#include "engine/RunObserver.h"
#include "engine/RunRecord.h"

#include <functional>
#include <optional>

class BrowserAccess;

// Turns what a runner tells into one LineRecord per executed line, each handed on once the
// line is done (its page come, the next line started, or the run ended), and the run's summary.
class RunRecorder : public RunObserver {
public:
    using Clock = std::function<qint64()>; // milliseconds, from any fixed point
    using RecordSink = std::function<void(const LineRecord &)>;

    // With a browser, each record carries the window's address and HTTP status.
    RunRecorder(Clock clock, BrowserAccess *browser = nullptr, RecordSink sink = {});

    void lineStarted(qint16 index, const QString &text) override;
    void lineEnded() override;
    void lineFailed(const ScriptError &error, bool restarts) override;
    void pageCompleted() override;
    void elementWaitStarted(const ActionTarget &target, qint64 timeoutMs) override;
    void elementWaitEnded(qint64 waitedMs, bool found) override;

    // The line running, waiting or sleeping now, or the last one that ran.
    [[nodiscard]] const std::optional<LineRecord> &lastLine() const { return m_line; }
    // True once the last line has halted the run.
    [[nodiscard]] bool lineHalted() const { return m_line && m_line->outcome == LineOutcome::Halted; }
    // How long the last line has run (a sleeping one: slept), or waited since it ended.
    [[nodiscard]] qint64 waitedMs() const;

    // The page the last line asked for did not come, for that reason; halted when the run
    // halts for it.
    void loadFailed(const QString &reason, bool halted);

    // The run ended with that exit status and message; a last line still waiting or sleeping
    // did not finish. Hands on the last record.
    [[nodiscard]] RunSummary finish(int exitStatus, const QString &message, bool lastLineUnfinished);

private:
    void close();
    [[nodiscard]] qint64 elapsed() const { return m_clock() - m_start; }

    Clock m_clock;
    BrowserAccess *m_browser;
    RecordSink m_sink;
    qint64 m_start;
    std::optional<LineRecord> m_line;
    bool m_open = false;    // the record is not handed on yet
    bool m_running = false;
    qint64 m_endedAt = 0;   // when the line ended, from the start of the run
    bool m_ended = false;
    bool m_pageCame = false;
    std::optional<qint64> m_elementWaitStart; // while the line waits for its element
    int m_linesRun = 0;
    quint64 m_pages = 0;
    quint64 m_pagesAtStatus = 0; // the page count when the HTTP status was last read
    int m_httpStatus = 0;
    bool m_statusRead = false;
};
