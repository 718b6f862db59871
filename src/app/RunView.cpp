#include "app/RunView.h"

#include "app/ScriptEditor.h"
#include "engine/ScriptError.h"
#include "engine/ScriptRunner.h"

#include <QAction>
#include <QLabel>

RunView::RunView(ScriptRunner &runner, ScriptEditor &editor, QLabel &runPanel, QAction &pauseAction)
    : m_runner(runner)
    , m_editor(editor)
    , m_runPanel(runPanel)
    , m_pauseAction(pauseAction)
{
    m_runner.addObserver(*this);
    // The runner asks the gutter itself, so it pauses where the dots are after any edit.
    m_runner.setBreakpoints([this](int line) { return m_editor.hasBreakpointAt(line); });
    // Connected after the runner's own tick: the marks show where that tick left the run.
    connect(&m_runner.tickTimer(), &QTimer::timeout, this, &RunView::refreshSoon);
    m_pendingRefresh.setSingleShot(true);
    m_pendingRefresh.setInterval(kRefreshMs);
    connect(&m_pendingRefresh, &QTimer::timeout, this, &RunView::refresh);
    m_sinceRefresh.start();
}

RunView::~RunView()
{
    m_runner.setBreakpoints({});
    m_runner.removeObserver(*this);
}

void RunView::lineStarted(qint16 index, const QString &)
{
    m_startedLine = index;
    if (m_editor.haltedLine())
        m_editor.clearHaltedLine();
    refreshSoon();
}

void RunView::lineEnded()
{
    refreshSoon();
}

void RunView::pageCompleted()
{
    refreshSoon();
}

void RunView::lineFailed(const ScriptError &error, bool restarts)
{
    if (restarts)
        return;
    const int line = m_startedLine >= 0 ? m_startedLine : m_runner.state().currentLine;
    const QString text = m_runner.state().writtenLines.value(line);
    const QString description = error.description().isEmpty() ? ScriptError::standardDescription(error.number())
                                                               : error.description();
    m_editor.setHaltedLine(line, QStringLiteral("line %1 \"%2\": %3: %4").arg(line + 1).arg(text).arg(error.number()).arg(description));
    refresh();
}

void RunView::refreshSoon()
{
    if (m_sinceRefresh.hasExpired(kRefreshMs))
        refresh();
    else if (!m_pendingRefresh.isActive())
        m_pendingRefresh.start();
}

void RunView::refresh()
{
    m_sinceRefresh.restart();
    const RunStatus status = m_runner.status();
    const int nextLine = m_runner.state().currentLine;
    m_pauseAction.setText(m_runner.isPaused() ? QStringLiteral("Contin&ue") : QStringLiteral("&Pause"));
    switch (status) {
    case RunStatus::Stopped:
        m_startedLine = -1;
        m_editor.clearRunLine();
        m_runPanel.clear();
        return;
    case RunStatus::Halted:
        m_editor.clearRunLine();
        m_runPanel.setText(QStringLiteral("Halted"));
        return;
    case RunStatus::WaitingForPage: {
        // The line that asked for the page is the one that waits; the runner already points past it.
        const int waitingLine = m_startedLine >= 0 ? m_startedLine : nextLine;
        m_editor.setRunLine(waitingLine, RunLineState::WaitingForPage);
        m_runPanel.setText(QStringLiteral("Waiting for the page of line %1").arg(waitingLine + 1));
        return;
    }
    case RunStatus::Sleeping:
        m_editor.setRunLine(m_startedLine >= 0 ? m_startedLine : nextLine, RunLineState::Running);
        m_runPanel.setText(QStringLiteral("Sleeping on line %1").arg((m_startedLine >= 0 ? m_startedLine : nextLine) + 1));
        return;
    case RunStatus::WaitingForText:
        m_editor.setRunLine(m_startedLine >= 0 ? m_startedLine : nextLine, RunLineState::WaitingForPage);
        m_runPanel.setText(QStringLiteral("Waiting for the text of line %1").arg((m_startedLine >= 0 ? m_startedLine : nextLine) + 1));
        return;
    case RunStatus::WaitingForElement: {
        const int waitingLine = m_startedLine >= 0 ? m_startedLine : nextLine;
        m_editor.setRunLine(waitingLine, RunLineState::WaitingForPage);
        const auto &wait = m_runner.elementWait();
        m_runPanel.setText(wait ? elementWaitStatus(wait->target(), wait->timeoutMs(), waitingLine + 1)
                                : QStringLiteral("Running"));
        return;
    }
    case RunStatus::Paused:
        m_editor.setRunLine(nextLine, RunLineState::Paused);
        m_runPanel.setText(QStringLiteral("Paused before line %1").arg(nextLine + 1));
        return;
    case RunStatus::Parked:
        m_editor.setRunLine(nextLine, RunLineState::Running);
        m_runPanel.setText(QStringLiteral("Stopped on the empty line %1").arg(nextLine + 1));
        return;
    case RunStatus::Ready:
        // A line runs within one tick: the last one begun stays marked until the next begins.
        m_editor.setRunLine(m_startedLine >= 0 ? m_startedLine : nextLine, RunLineState::Running);
        m_runPanel.setText(QStringLiteral("Running"));
        return;
    }
}
