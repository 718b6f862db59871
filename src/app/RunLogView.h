#pragma once

#include "engine/RunRecorder.h"

#include <QDateTime>
#include <QDockWidget>
#include <QTimer>

#include <memory>

class BrowserAccess;
class QTableWidget;
class ScriptRunner;

// The run log pane: one row per executed line (time, line, text, duration, page wait, the
// address after the line and the outcome), from the same records as navrelay-run --report.
// It listens to the runner only while it is shown, so a hidden pane costs a run nothing.
// The records come from a RunRecorder it passes the runner's news to.
class RunLogView final : public QDockWidget, public RunObserver {
    Q_OBJECT
public:
    static constexpr int kRowDelayMs = 100;

    RunLogView(ScriptRunner &runner, BrowserAccess &browser, QWidget *parent);
    ~RunLogView() override;

    [[nodiscard]] int rowCount() const;
    // The rows as tab-separated text, a line each, with a heading line.
    [[nodiscard]] QString text();
    void copyToClipboard();
    void clear();

    void lineStarted(qint16 index, const QString &text) override;
    void lineEnded() override;
    void lineFailed(const ScriptError &error, bool restarts) override;
    void pageCompleted() override;
    void elementWaitStarted(const ActionTarget &target, qint64 timeoutMs) override;
    void elementWaitEnded(qint64 waitedMs, bool found) override;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void addRow(const LineRecord &record);
    void showPendingRows();
    // A run that has stopped hands on its last line at once.
    void closeStoppedRun();

    ScriptRunner &m_runner;
    BrowserAccess &m_browser;
    QTableWidget *m_table;
    std::unique_ptr<RunRecorder> m_recorder;
    QDateTime m_recorderStart;
    // Rows are put in the table in batches: one at a time would make a fast run crawl.
    QList<QStringList> m_pendingRows;
    QTimer m_rowDelay;
};
