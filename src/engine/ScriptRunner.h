#pragma once

#include "engine/ElementWait.h"
#include "engine/RunState.h"
#include "engine/TextWait.h"

#include <QString>
#include <QTimer>

#include <functional>
#include <optional>
#include <vector>

class BrowserAccess;
class Host;
class PageActions;
class RunObserver;
class ScriptError;

// Where a run stands, as a host that watches it from outside sees it.
enum class RunStatus { Stopped, Ready, WaitingForPage, Sleeping, WaitingForText, WaitingForElement, Parked, Halted, Paused };

// Runs a prepared script one line per tick of tickTimer, waiting for the browser between lines,
// and holds the run controls (Run, Reset) that start and rewind it. The owner of the run state
// is whoever owns the runner: the main window or the terminal runner.
class ScriptRunner {
public:
    static constexpr int kTickInterval = 50; // milliseconds between lines
    // The title of the message box a trapped error shows.
    static constexpr QLatin1StringView kTrappedErrorTitle{"TimerNav.Timer"};

    ScriptRunner(RunState &state, Host &host, BrowserAccess &browser, PageActions &page);
    ScriptRunner(const ScriptRunner &) = delete;
    ScriptRunner &operator=(const ScriptRunner &) = delete;

    // One tick: runs the current line unless the run waits, parks or is halted.
    void tick();
    // Run: prepares the editor text and starts the timer.
    void runScript(const QString &editorText);
    // Reset: rewinds to line 1 and clears the waits; a running timer keeps running.
    void resetRun();
    // Stop: ends the run at once, wherever it stands, and the load of a page it waits for; the
    // page shown stays as it is.
    void stop();
    // Pause holds the run before its next line; resume lets it go on.
    void pause();
    void resume();
    // Runs exactly the next line and pauses again; a stopped runner first prepares the text.
    void step(const QString &editorText);
    // Run, starting at the given zero-based line.
    void runFrom(const QString &editorText, int line);
    // The run pauses before each zero-based line the test answers true for; it is asked as the
    // line comes, so it may follow an editor's marks as they move.
    void setBreakpoints(std::function<bool(int line)> isBreakpoint) { m_isBreakpoint = std::move(isBreakpoint); }
    [[nodiscard]] bool isPaused() const { return m_paused; }

    // The browser finished a page: a run ticking every 0 ms that idled through the wait for it
    // ticks again at once.
    void pageCompleted();
    // The page's document changed: a line waiting for its element looks again at once.
    void documentChanged();
    // The observer hears of every line from now on, until it is removed.
    void addObserver(RunObserver &observer) { m_observers.push_back(&observer); }
    void removeObserver(RunObserver &observer) { std::erase(m_observers, &observer); }

    [[nodiscard]] RunStatus status() const;
    [[nodiscard]] QTimer &tickTimer() { return m_tickTimer; }
    [[nodiscard]] RunState &state() { return m_state; }
    // The wait of the line waiting for its element, if one does.
    [[nodiscard]] const std::optional<ElementWait> &elementWait() const { return m_elementWait; }

private:
    void executeLine();
    // The timer off, every wait ended, line 1 next: what Reset and Stop share.
    void stopAtLineOne();
    [[nodiscard]] bool holdBeforeLine();
    void runTopLevelCommand(const QString &word);
    void runConditional(bool runWhenFound);
    void executeCommand(const QString &command, const QString &parameter, qint16 index);
    void runTopLevelGoto();
    void idleThroughPageWait();
    void watchPageWait();
    void completeLine();
    void advance();
    void finishRun();
    void trapError(const ScriptError &error);
    void restorePace();
    // "sleep": the line stays the running one, and the timer's next tick, that many
    // milliseconds later, ends it; events go on meanwhile.
    void startSleep(qint32 milliseconds);
    void endSleep();
    void rejectUnknownWord(const QString &kind, const QString &word, const QStringList &knownWords);
    // "assert" and "refute": the line halts unless the page holds the text (or, refuted, does not).
    void checkPageText(const QString &word, bool mustHold);
    // "waitfor": the line stays the running one until the page holds its text, looked for at
    // each page and on the timer's ticks, or halts once its time is up.
    void startTextWait(const QString &text, qint64 timeoutMs);
    void lookForWaitedText();
    void endTextWait();
    // A line that acts on an element: the action runs at once when the element wait is 0 or the
    // target is ready; else the line stays the running one until it is, or its time is up.
    void actOnTarget(const ActionTarget &target, std::function<void()> action);
    void lookForTarget();
    void endElementWait();
    [[nodiscard]] ScriptError checkFailure(const QString &word, const QString &text, const QString &finding) const;
    template <typename Call>
    void notify(const Call &call)
    {
        for (RunObserver *observer : m_observers)
            call(*observer);
    }
    struct PreparedLines {
        QStringList lines; // "$$$" replaced
        QString variable;  // the text that replaced it
    };
    [[nodiscard]] PreparedLines promptVariables(QStringList lines);
    [[nodiscard]] const QString &field(int index) const;

    RunState &m_state;
    Host &m_host;
    BrowserAccess &m_browser;
    PageActions &m_page;
    std::vector<RunObserver *> m_observers;
    QTimer m_tickTimer;
    bool m_halted = false; // a trapped failure holds the run on its line until Reset
    bool m_attaching = false; // the runner is re-attaching the browser after a lost one
    bool m_hearingPage = false; // observers are being told of a completed page
    bool m_idlingZeroTick = false; // a 0 ms tick runs at kTickInterval until the page comes
    bool m_sleeping = false;
    int m_paceBeforeSleep = kTickInterval;
    std::optional<TextWait> m_textWait;
    std::optional<ElementWait> m_elementWait;
    bool m_lookingForTarget = false;
    bool m_paused = false;
    int m_stepsAllowed = 0; // lines a paused run may still execute
    int m_passBreakpointAt = -1; // the breakpoint line a resumed or stepped run goes past once
    std::function<bool(int line)> m_isBreakpoint;
};

// The time of day as the clock in status panel 2 shows it.
[[nodiscard]] QString clockText();
