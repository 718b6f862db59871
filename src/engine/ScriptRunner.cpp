#include "engine/ScriptRunner.h"

#include "engine/BrowserWindow.h"
#include "engine/BrowserAccess.h"
#include "engine/Host.h"
#include "engine/PageActions.h"
#include "engine/PageText.h"
#include "engine/RunObserver.h"
#include "engine/ScriptError.h"
#include "engine/SecretMask.h"
#include "engine/ScriptText.h"
#include "engine/Values.h"

#include <limits>
#include <utility>

ScriptRunner::ScriptRunner(RunState &state, Host &host, BrowserAccess &browser, PageActions &page)
    : m_state(state)
    , m_host(host)
    , m_browser(browser)
    , m_page(page)
{
    m_tickTimer.setInterval(kTickInterval);
    // A sleep ends on the timer's tick: a coarse timer may end it early.
    m_tickTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_tickTimer, &QTimer::timeout, [this] { tick(); });
}

void ScriptRunner::tick()
{
    if (m_hearingPage)
        return;
    const qsizetype lineCount = m_state.scriptLines.size();
    const bool lineInScript = m_state.currentLine >= 0 && m_state.currentLine < lineCount;
    if (lineInScript && m_state.scriptLines.at(m_state.currentLine).isEmpty())
        return; // parked on an empty line until Reset or Run
    if (m_sleeping) {
        endSleep();
        return;
    }
    if (m_textWait) {
        lookForWaitedText();
        return;
    }
    if (m_elementWait) {
        lookForTarget();
        return;
    }
    if (m_state.waitingForPage) {
        idleThroughPageWait();
        watchPageWait();
        return;
    }
    if (m_state.executingLine || m_attaching)
        return;
    // The wait may have ended without a page (Reset, stopscript): tick at the chosen pace again.
    restorePace();
    if (lineCount == 0) {
        finishRun(); // nothing to run: a Run on an empty editor ends at once
        return;
    }
    if (holdBeforeLine())
        return;
    m_state.executingLine = true;
    try {
        // Only a "goto" leaves the script: the failure is that line's, which is still the last one begun.
        if (!lineInScript)
            throw ScriptError(SubscriptOutOfRange);
        notify([&](RunObserver &observer) { observer.lineStarted(m_state.currentLine, m_state.writtenLines.value(m_state.currentLine)); });
        executeLine();
        if (!m_sleeping && !m_textWait && !m_elementWait)
            completeLine();
    } catch (const ScriptError &error) {
        trapError(error);
    }
}

void ScriptRunner::completeLine()
{
    advance();
    m_state.executingLine = false;
    notify([](RunObserver &observer) { observer.lineEnded(); });
}

void ScriptRunner::startSleep(qint32 milliseconds)
{
    m_sleeping = true;
    m_paceBeforeSleep = m_tickTimer.interval();
    m_tickTimer.start(milliseconds);
}

void ScriptRunner::endSleep()
{
    m_sleeping = false;
    m_tickTimer.setInterval(m_paceBeforeSleep);
    try {
        completeLine();
    } catch (const ScriptError &error) {
        trapError(error);
    }
}

// A 0 ms tick would spin the event loop for as long as the page loads, taking the processor
// from the browser and the server it waits for.
void ScriptRunner::idleThroughPageWait()
{
    if (m_tickTimer.interval() != 0)
        return;
    m_idlingZeroTick = true;
    m_tickTimer.setInterval(kTickInterval);
}

// A window closed or killed during the wait never completes its page: it is taken as the lost
// browser it is, as a failed line would find it, instead of waiting for ever.
void ScriptRunner::watchPageWait()
{
    if (m_state.executingLine || m_attaching)
        return;
    try {
        (void)m_browser.window().isBusy();
    } catch (const ScriptError &error) {
        trapError(error);
    }
}

void ScriptRunner::pageCompleted()
{
    restorePace();
    if (m_textWait || m_elementWait)
        m_tickTimer.start(0); // the new page may hold the text or the element: the next tick looks
    // An observer may ask the browser about the page and wait for its answer: no line runs
    // meanwhile, or the page asked about would be the next one's.
    m_hearingPage = true;
    notify([&](RunObserver &observer) { observer.pageCompleted(); });
    m_hearingPage = false;
}

void ScriptRunner::documentChanged()
{
    if (m_elementWait && !m_hearingPage)
        m_tickTimer.start(0);
}

void ScriptRunner::restorePace()
{
    if (std::exchange(m_idlingZeroTick, false))
        m_tickTimer.setInterval(0);
}

// A paused run, or one that reaches a breakpoint, holds before the line; a step lets one line go.
bool ScriptRunner::holdBeforeLine()
{
    const int line = m_state.currentLine;
    if (m_isBreakpoint && m_isBreakpoint(line) && line != m_passBreakpointAt && !m_paused)
        m_paused = true;
    if (m_paused && m_stepsAllowed == 0)
        return true;
    if (m_paused)
        --m_stepsAllowed;
    m_passBreakpointAt = -1;
    return false;
}

void ScriptRunner::executeLine()
{

    m_host.setStatusText(QStringLiteral("Executing Script, Line ( %1 )").arg(m_state.currentLine + 1));
    m_state.params = splitFields(m_state.scriptLines.at(m_state.currentLine));
    for (int index = 1; index <= 2 && index < m_state.params.size(); ++index)
        parseCommand(m_state.params[index]);
    runTopLevelCommand(m_state.params.at(0).toLower());
}

void ScriptRunner::advance()
{
    if (m_state.currentLine == m_state.scriptLines.size() - 1) {
        finishRun();
        return;
    }
    // The line number is a 16-bit integer: a script longer than it can count overflows.
    if (m_state.currentLine == std::numeric_limits<qint16>::max())
        throw ScriptError(Overflow);
    ++m_state.currentLine;
}

void ScriptRunner::finishRun()
{
    m_state.currentLine = 0;
    m_host.setStatusText(QStringLiteral("Finished Executing "));
    m_tickTimer.stop();
    if (m_state.exitWhenFinished)
        m_host.closeMainWindow();
}

void ScriptRunner::trapError(const ScriptError &failure)
{
    // What the failure says is shown and written: the text of "$$$" stays out of it.
    const ScriptError error(failure.number(), SecretMask(m_state.variableText).apply(failure.description()));
    if (error.number() == ObjectNotSet || error.number() == RemoteUnavailable) {
        // The browser or its document is gone: attach again and start over from line 1. The
        // attach resets the run first and may wait in event loops: no line runs until it ends.
        notify([&](RunObserver &observer) { observer.lineFailed(error, true); });
        m_attaching = true;
        m_browser.attachBrowser();
        m_attaching = false;
        return;
    }
    // Anything else halts the run on this line: ExecutingLine stays set until Reset.
    m_halted = true;
    // Heard before the message box, so that a window marks the line while the box is open.
    notify([&](RunObserver &observer) { observer.lineFailed(error, false); });
    if (error.number() > 0) {
        m_host.messageBox(QStringLiteral("%1: %2").arg(error.number()).arg(error.description()),
                          kTrappedErrorTitle, MessageIcon::Error, MessageButtons::OkHelp);
    }
}

RunStatus ScriptRunner::status() const
{
    if (!m_tickTimer.isActive())
        return RunStatus::Stopped;
    if (m_halted)
        return RunStatus::Halted;
    if (m_sleeping)
        return RunStatus::Sleeping;
    if (m_textWait)
        return RunStatus::WaitingForText;
    if (m_elementWait)
        return RunStatus::WaitingForElement;
    if (m_paused && m_stepsAllowed == 0 && !m_state.waitingForPage)
        return RunStatus::Paused;
    // The page a line asked for is still loading even when the next line is empty.
    if (m_state.waitingForPage)
        return RunStatus::WaitingForPage;
    const qint16 line = m_state.currentLine;
    if (line >= 0 && line < m_state.scriptLines.size() && m_state.scriptLines.at(line).isEmpty())
        return RunStatus::Parked;
    return RunStatus::Ready;
}

const QString &ScriptRunner::field(int index) const
{
    if (index >= m_state.params.size())
        throw ScriptError(SubscriptOutOfRange);
    return m_state.params.at(index);
}

void ScriptRunner::runConditional(bool runWhenFound)
{
    const bool found = bodyHtmlHolds(m_page, [this] { return field(1); });
    if (found != runWhenFound)
        return;
    const qsizetype fieldCount = m_state.params.size();
    const QString parameter = fieldCount >= 4 ? field(3) : QString();
    const qint16 index = fieldCount >= 5 ? toInt16(field(4)) : qint16(0);
    executeCommand(field(2), parameter, index);
}
