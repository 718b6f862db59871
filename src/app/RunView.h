#pragma once

#include "engine/RunObserver.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QAction;
class QLabel;
class ScriptEditor;
class ScriptRunner;

// Shows a run in the editor and the status bar: the line the run stands on (waiting for its
// page or paused looks different) and the line it halted on with its error; the runner pauses
// at the breakpoints the editor's gutter shows. Marks follow the run at most every kRefreshMs,
// so a fast run is not slowed by repainting.
class RunView final : public QObject, public RunObserver {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 30;

    RunView(ScriptRunner &runner, ScriptEditor &editor, QLabel &runPanel, QAction &pauseAction);
    ~RunView() override;

    void lineStarted(qint16 index, const QString &text) override;
    void lineEnded() override;
    void lineFailed(const ScriptError &error, bool restarts) override;
    void pageCompleted() override;

    // Brings the marks up to date now.
    void refresh();

private:
    void refreshSoon();

    ScriptRunner &m_runner;
    ScriptEditor &m_editor;
    QLabel &m_runPanel;
    QAction &m_pauseAction;
    QElapsedTimer m_sinceRefresh;
    QTimer m_pendingRefresh;
    int m_startedLine = -1; // the line the runner began last, until the next one begins
};
