// The wait of a line for the element it acts on: pages that build themselves with script add
// their links, fields and buttons after the load.
#include "engine/ScriptRunner.h"

#include "engine/Host.h"
#include "engine/PageActions.h"
#include "engine/RunObserver.h"
#include "engine/ScriptError.h"

namespace {

// A look that fails (no document between two pages, a browser gone) finds nothing: the action,
// run once the time is up, meets the failure as its own.
TargetState lookFor(PageActions &page, const ActionTarget &target)
{
    try {
        return page.targetState(target);
    } catch (const ScriptError &) {
        return TargetState::Missing;
    }
}

} // namespace

void ScriptRunner::actOnTarget(const ActionTarget &target, std::function<void()> action)
{
    if (m_state.elementWaitMs <= 0) {
        action();
        return;
    }
    TargetState state = TargetState::Ready;
    try {
        state = m_page.targetState(target);
    } catch (const ScriptError &) {
        // The action meets the same failure, as it does without a wait.
    }
    if (state == TargetState::Ready) {
        action();
        return;
    }
    if (!m_tickTimer.isActive())
        return; // stopped while the browser was asked
    m_elementWait.emplace(target, m_state.elementWaitMs, m_tickTimer.interval(), std::move(action));
    m_host.setStatusText(elementWaitStatus(target, m_state.elementWaitMs, m_state.currentLine + 1));
    notify([&](RunObserver &observer) { observer.elementWaitStarted(target, m_state.elementWaitMs); });
    m_tickTimer.start(m_elementWait->nextLookMs());
}

void ScriptRunner::lookForTarget()
{
    // A browser that is asked answers in a nested event loop, where a tick may come again and
    // Stop may end the wait.
    if (m_lookingForTarget)
        return;
    const ActionTarget target = m_elementWait->target();
    m_lookingForTarget = true;
    const bool ready = lookFor(m_page, target) == TargetState::Ready;
    m_lookingForTarget = false;
    if (!m_elementWait)
        return;
    if (!ready && !m_elementWait->expired()) {
        m_tickTimer.start(m_elementWait->nextLookMs());
        return;
    }
    const ElementWait wait = *m_elementWait;
    endElementWait();
    notify([&](RunObserver &observer) { observer.elementWaitEnded(wait.waitedMs(), ready); });
    try {
        try {
            wait.act();
        } catch (const ScriptError &error) {
            if (error.number() != StrictLookupFailed)
                throw;
            throw ScriptError(StrictLookupFailed, QStringLiteral("%1 (waited %2 s)")
                                                    .arg(error.description())
                                                    .arg(double(wait.waitedMs()) / 1000.0, 0, 'f', 1));
        }
        if (!m_sleeping && !m_textWait && !m_elementWait)
            completeLine();
    } catch (const ScriptError &error) {
        trapError(error);
    }
}

void ScriptRunner::endElementWait()
{
    if (!m_elementWait)
        return;
    m_tickTimer.setInterval(m_elementWait->paceBefore());
    m_elementWait.reset();
}
