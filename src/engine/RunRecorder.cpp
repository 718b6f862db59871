#include "engine/RunRecorder.h"

#include "engine/BrowserAccess.h"
#include "engine/BrowserWindow.h"
#include "engine/ScriptError.h"
#include "engine/ScriptRunner.h"
#include "engine/ScriptText.h"

#include <utility>

namespace {

// As the host shows a trapped error: with a message box for positive numbers, else in the
// browser's own words.
QString failureMessage(const ScriptError &error)
{
    if (error.number() > 0)
        return QStringLiteral("%1: %2: %3").arg(ScriptRunner::kTrappedErrorTitle).arg(error.number()).arg(error.description());
    if (error.number() < 0)
        return QStringLiteral("%1 (%2)").arg(error.description()).arg(error.number());
    return error.description();
}

} // namespace

RunRecorder::RunRecorder(Clock clock, BrowserAccess *browser, RecordSink sink)
    : m_clock(std::move(clock))
    , m_browser(browser)
    , m_sink(std::move(sink))
    , m_start(m_clock())
{
}

void RunRecorder::lineStarted(qint16 index, const QString &text)
{
    close();
    LineRecord record;
    record.line = index + 1;
    record.text = text;
    record.command = splitFields(text).constFirst().toLower();
    record.startMs = elapsed();
    m_line = std::move(record);
    m_open = true;
    m_running = true;
    m_ended = false;
    m_pageCame = false;
    m_elementWaitStart.reset();
    ++m_linesRun;
}

void RunRecorder::lineEnded()
{
    if (!m_line)
        return;
    m_running = false;
    m_ended = true;
    m_endedAt = elapsed();
    m_line->durationMs = m_endedAt - m_line->startMs;
}

void RunRecorder::lineFailed(const ScriptError &error, bool restarts)
{
    if (!m_line)
        return;
    if (std::exchange(m_running, false))
        m_line->durationMs = elapsed() - m_line->startMs;
    m_line->outcome = restarts ? LineOutcome::Restarted : LineOutcome::Halted;
    m_line->message = failureMessage(error);
    m_line->errorNumber = error.number();
    if (restarts)
        close();
}

void RunRecorder::pageCompleted()
{
    ++m_pages;
    if (m_line && m_open && m_ended && !m_pageCame) {
        m_pageCame = true;
        m_line->pageWaitMs = elapsed() - m_endedAt;
        m_line->pageArrived = true;
    }
}

void RunRecorder::elementWaitStarted(const ActionTarget &, qint64)
{
    m_elementWaitStart = elapsed();
}

void RunRecorder::elementWaitEnded(qint64 waitedMs, bool)
{
    m_elementWaitStart.reset();
    if (m_line)
        m_line->elementWaitMs = waitedMs;
}

void RunRecorder::loadFailed(const QString &reason, bool halted)
{
    if (!m_line || !m_open)
        return;
    m_line->outcome = halted ? LineOutcome::Halted : LineOutcome::LoadFailed;
    m_line->message = reason;
}

qint64 RunRecorder::waitedMs() const
{
    if (m_running && m_line)
        return elapsed() - m_line->startMs;
    return m_ended ? elapsed() - m_endedAt : 0;
}

RunSummary RunRecorder::finish(int exitStatus, const QString &message, bool lastLineUnfinished)
{
    if (m_line && m_open && lastLineUnfinished) {
        if (m_running)
            m_line->durationMs = elapsed() - m_line->startMs;
        if (m_elementWaitStart)
            m_line->elementWaitMs = elapsed() - *m_elementWaitStart;
        m_line->outcome = LineOutcome::Unfinished;
        m_line->message = message;
    }
    close();
    return {exitStatus, m_linesRun, m_pages, elapsed(), message};
}

void RunRecorder::close()
{
    if (!m_line || !m_open)
        return;
    m_open = false;
    if (m_browser) {
        try {
            const BrowserWindow &window = m_browser->window();
            m_line->address = window.locationUrl();
            // The status changes only with a page: a browser that has to be asked is asked once.
            if (!m_statusRead || m_pagesAtStatus != m_pages) {
                m_httpStatus = window.httpStatus();
                m_pagesAtStatus = m_pages;
                m_statusRead = true;
            }
            m_line->httpStatus = m_httpStatus;
        } catch (const ScriptError &) {
            // No window, or a closed one: the record keeps no address.
        }
    }
    if (m_sink)
        m_sink(*m_line);
}
