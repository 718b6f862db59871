#include "engine/LoadWatch.h"

#include "engine/BrowserAccess.h"
#include "engine/BrowserWindow.h"
#include "engine/ScriptError.h"

#include <utility>

namespace {

constexpr int kFirstFailingStatus = 400;

} // namespace

LoadWatch::LoadWatch(BrowserAccess &browser, Statuses statuses, FailureSink sink)
    : m_browser(browser)
    , m_statuses(statuses)
    , m_sink(std::move(sink))
{
}

void LoadWatch::lineStarted(qint16 index, const QString &text)
{
    m_line = index + 1;
    m_text = text;
    ++m_linesStarted;
}

void LoadWatch::pageCompleted()
{
    FailedLoad failure{m_line, m_text, {}, {}};
    try {
        const BrowserWindow &window = m_browser.window();
        failure.reason = window.loadError();
        if (failure.reason.isEmpty() && m_statuses == Statuses::Fail) {
            if (const int status = window.httpStatus(); status >= kFirstFailingStatus)
                failure.reason = QStringLiteral("HTTP status %1").arg(status);
        }
        if (failure.reason.isEmpty())
            return;
        failure.address = window.locationUrl();
    } catch (const ScriptError &) {
        return; // the window went away: the run finds that out for itself
    }
    const bool seen = !m_failures.isEmpty() && m_lastFailureAt == m_linesStarted
        && m_failures.constLast().address == failure.address && m_failures.constLast().reason == failure.reason;
    if (seen)
        return;
    m_lastFailureAt = m_linesStarted;
    m_failures.append(failure);
    if (m_sink)
        m_sink(failure);
}
