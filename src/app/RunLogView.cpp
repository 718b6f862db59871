#include "app/RunLogView.h"

#include "engine/ScriptRunner.h"
#include "engine/SecretMask.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QStringList kHeadings{QStringLiteral("Time"), QStringLiteral("Line"), QStringLiteral("Text"),
                            QStringLiteral("Duration ms"), QStringLiteral("Element wait ms"), QStringLiteral("Page wait ms"),
                            QStringLiteral("Address"), QStringLiteral("Outcome")};

} // namespace

RunLogView::RunLogView(ScriptRunner &runner, BrowserAccess &browser, QWidget *parent)
    : QDockWidget(QStringLiteral("Run Log"), parent)
    , m_runner(runner)
    , m_browser(browser)
    , m_table(new QTableWidget(0, int(kHeadings.size())))
{
    setObjectName(QStringLiteral("runLog"));
    m_table->setObjectName(QStringLiteral("runLogTable"));
    m_table->setHorizontalHeaderLabels(kHeadings);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);

    auto *copy = new QPushButton(QStringLiteral("Copy"));
    copy->setObjectName(QStringLiteral("runLogCopy"));
    connect(copy, &QPushButton::clicked, this, &RunLogView::copyToClipboard);
    auto *clearButton = new QPushButton(QStringLiteral("Clear"));
    clearButton->setObjectName(QStringLiteral("runLogClear"));
    connect(clearButton, &QPushButton::clicked, this, &RunLogView::clear);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(copy);
    buttons->addWidget(clearButton);
    buttons->addStretch();

    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_table);
    layout->addLayout(buttons);
    setWidget(content);
    m_rowDelay.setSingleShot(true);
    m_rowDelay.setInterval(kRowDelayMs);
    connect(&m_rowDelay, &QTimer::timeout, this, &RunLogView::showPendingRows);
    hide();
}

RunLogView::~RunLogView()
{
    if (m_recorder)
        m_runner.removeObserver(*this);
}

void RunLogView::lineStarted(qint16 index, const QString &text)
{
    m_recorder->lineStarted(index, text);
}

void RunLogView::lineEnded()
{
    m_recorder->lineEnded();
    if (!m_runner.state().waitingForPage)
        closeStoppedRun();
}

void RunLogView::lineFailed(const ScriptError &error, bool restarts)
{
    m_recorder->lineFailed(error, restarts);
    if (!restarts)
        (void)m_recorder->finish(0, {}, false);
}

void RunLogView::pageCompleted()
{
    m_recorder->pageCompleted();
    closeStoppedRun();
}

void RunLogView::elementWaitStarted(const ActionTarget &target, qint64 timeoutMs)
{
    m_recorder->elementWaitStarted(target, timeoutMs);
}

void RunLogView::elementWaitEnded(qint64 waitedMs, bool found)
{
    m_recorder->elementWaitEnded(waitedMs, found);
}

void RunLogView::closeStoppedRun()
{
    if (m_runner.status() == RunStatus::Stopped)
        (void)m_recorder->finish(0, {}, false);
}

void RunLogView::showEvent(QShowEvent *event)
{
    QDockWidget::showEvent(event);
    if (m_recorder)
        return;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    m_recorderStart = QDateTime::currentDateTime();
    m_recorder = std::make_unique<RunRecorder>([clock] { return clock->elapsed(); }, &m_browser,
                                               [this](const LineRecord &record) { addRow(record); });
    m_runner.addObserver(*this);
}

void RunLogView::hideEvent(QHideEvent *event)
{
    QDockWidget::hideEvent(event);
    if (!m_recorder)
        return;
    m_runner.removeObserver(*this);
    m_recorder.reset();
}

void RunLogView::addRow(const LineRecord &record)
{
    // The address a page gave may hold the text of "$$$" too.
    const SecretMask mask(m_runner.state().variableText);
    const QStringList cells{m_recorderStart.addMSecs(record.startMs).toString(QStringLiteral("HH:mm:ss.zzz")),
                            QString::number(record.line),
                            mask.apply(record.text),
                            QString::number(record.durationMs),
                            QString::number(record.elementWaitMs),
                            QString::number(record.pageWaitMs),
                            mask.apply(record.address),
                            mask.apply(record.message.isEmpty() ? outcomeName(record.outcome)
                                                                : outcomeName(record.outcome) + QStringLiteral(": ") + record.message)};
    m_pendingRows << cells;
    if (!m_rowDelay.isActive())
        m_rowDelay.start();
}

void RunLogView::showPendingRows()
{
    m_table->setUpdatesEnabled(false);
    int row = m_table->rowCount();
    m_table->setRowCount(row + int(m_pendingRows.size()));
    for (const QStringList &cells : std::as_const(m_pendingRows)) {
        for (int column = 0; column < int(cells.size()); ++column)
            m_table->setItem(row, column, new QTableWidgetItem(cells.at(column)));
        ++row;
    }
    m_pendingRows.clear();
    m_table->setUpdatesEnabled(true);
    m_table->scrollToBottom();
}

int RunLogView::rowCount() const
{
    return m_table->rowCount() + int(m_pendingRows.size());
}

QString RunLogView::text()
{
    showPendingRows();
    QStringList lines{kHeadings.join(QLatin1Char('\t'))};
    for (int row = 0; row < m_table->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < m_table->columnCount(); ++column)
            cells << m_table->item(row, column)->text();
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void RunLogView::copyToClipboard()
{
    QApplication::clipboard()->setText(text());
}

void RunLogView::clear()
{
    m_pendingRows.clear();
    m_table->setRowCount(0);
}
