#include "cli/RunWatch.h"

#include "browser/Automation.h"
#include "cli/StopSignals.h"
#include "engine/CommandWords.h"
#include "engine/LoadWatch.h"
#include "engine/RunObserver.h"
#include "engine/RunRecorder.h"
#include "engine/ScriptError.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>

namespace {

constexpr int kWatchIntervalMs = 10;
constexpr int kHalted = 2;
constexpr int kUnfinished = 3;

bool browserBusy(BrowserConnection &connection)
{
    try {
        return connection.attachedWindow() && connection.attachedWindow()->isBusy();
    } catch (const ScriptError &) {
        return false;
    }
}

// "line 3 "clink;Next": TEXT", or the text alone before any line ran.
QString aboutLastLine(const RunRecorder &recorder, const QString &text)
{
    const auto &record = recorder.lastLine();
    return record ? QStringLiteral("%1: %2").arg(lineLabel(*record), text) : text;
}

RunEnd halted(const RunRecorder &recorder)
{
    const auto &record = recorder.lastLine();
    if (!record)
        return {kHalted, QStringLiteral("the run halted")};
    const int number = record->errorNumber.value_or(0);
    // A failed check says which line failed itself.
    const bool namesItsLine = number == CheckFailed && isCheckWord(record->command);
    RunEnd end{kHalted, namesItsLine ? record->message : QStringLiteral("%1: %2").arg(lineLabel(*record), record->message),
               record->line};
    end.printed = number > 0;
    end.errorNumber = number;
    return end;
}

RunEnd parked(const RunState &state)
{
    const int line = state.currentLine + 1;
    return {kUnfinished, QStringLiteral("line %1 \"\": the run stopped on an empty line (%1)").arg(line), line};
}

// What the run was doing when its time ran out: waiting for a page, a text or an element,
// sleeping, or running on.
RunEnd timedOut(const RunRecorder &recorder, int timeoutSeconds, RunStatus status, const ScriptRunner &runner)
{
    const QString waited = QString::number(double(recorder.waitedMs()) / 1000.0, 'f', 1);
    QString doing;
    if (status == RunStatus::Sleeping)
        doing = QStringLiteral(": sleeping for %1 s").arg(waited);
    else if (status == RunStatus::WaitingForText)
        doing = QStringLiteral(": waiting for its text for %1 s").arg(waited);
    else if (status == RunStatus::WaitingForElement && runner.elementWait())
        doing = QStringLiteral(": waiting for %1 for %2 s").arg(describeTarget(runner.elementWait()->target()), waited);
    else if (status != RunStatus::Ready)
        doing = QStringLiteral(": waiting for a page for %1 s").arg(waited);
    const QString ending = QStringLiteral("the run did not finish within %1 s%2").arg(timeoutSeconds).arg(doing);
    const auto &record = recorder.lastLine();
    RunEnd end{kUnfinished, aboutLastLine(recorder, ending), record ? record->line : 0};
    end.lastLineUnfinished = record && status != RunStatus::Ready;
    return end;
}

RunEnd stopped(const RunRecorder &recorder, int signal)
{
    const QString text = QStringLiteral("the run was stopped by SIG%1").arg(QString::fromLatin1(sigabbrev_np(signal)));
    const auto &record = recorder.lastLine();
    RunEnd end{kUnfinished, aboutLastLine(recorder, text), record ? record->line : 0};
    end.lastLineUnfinished = record.has_value();
    return end;
}

RunEnd failedLoad(const RunRecorder &recorder, const FailedLoad &load)
{
    return {kHalted, aboutLastLine(recorder, QStringLiteral("page load failed: %1: %2").arg(load.address, load.reason)),
            load.line};
}

// The end of the run once it has come, judged from outside.
std::optional<RunEnd> runEnd(Automation &automation, const RunRecorder &recorder, const LoadWatch &loads,
                             const RunLimits &limits)
{
    if (limits.haltOnFailedLoad && !loads.failures().isEmpty())
        return failedLoad(recorder, loads.failures().constFirst());
    RunStatus status = automation.runner.status();
    switch (status) {
    case RunStatus::Halted: return halted(recorder);
    case RunStatus::Parked: return parked(automation.state);
    case RunStatus::Stopped:
        // A last line that navigates has only started the load: the run is done once it comes.
        if (!automation.state.waitingForPage && !browserBusy(automation.connection))
            return RunEnd{};
        status = RunStatus::WaitingForPage;
        break;
    case RunStatus::WaitingForPage:
    case RunStatus::Sleeping:
    case RunStatus::WaitingForText:
    case RunStatus::WaitingForElement:
    case RunStatus::Paused: // the terminal runner never pauses
    case RunStatus::Ready: break;
    }
    if (!limits.deadline.hasExpired())
        return std::nullopt;
    return timedOut(recorder, limits.timeoutSeconds, status, automation.runner);
}

// Looks at the run as soon as a line or a page may have ended it.
class EndWatch final : public RunObserver {
public:
    explicit EndWatch(std::function<void()> look) : m_look(std::move(look)) {}

    void lineStarted(qint16, const QString &) override {}
    void lineEnded() override { m_look(); }
    void lineFailed(const ScriptError &, bool) override {}
    void pageCompleted() override { m_look(); }

private:
    const std::function<void()> m_look;
};

} // namespace

RunEnd waitForRun(Automation &automation, const RunRecorder &recorder, const LoadWatch &loads, const RunLimits &limits)
{
    QEventLoop loop;
    std::optional<RunEnd> end;
    QTimer watch;
    watch.setInterval(kWatchIntervalMs);
    const auto settle = [&](RunEnd ending) {
        end = std::move(ending);
        automation.runner.tickTimer().stop();
        watch.stop();
        loop.quit();
    };
    const auto look = [&] {
        if (end)
            return;
        if (auto ending = runEnd(automation, recorder, loads, limits))
            settle(std::move(*ending));
    };
    // A line or a page that ends the run is seen at once; the watch sees the rest (a halt, the
    // deadline), the notifier a stop signal.
    EndWatch endWatch(look);
    automation.runner.addObserver(endWatch);
    QObject::connect(&watch, &QTimer::timeout, &loop, look);
    std::unique_ptr<QSocketNotifier> signalNotifier;
    if (limits.stopSignals) {
        signalNotifier = std::make_unique<QSocketNotifier>(limits.stopSignals->descriptor(), QSocketNotifier::Read);
        QObject::connect(signalNotifier.get(), &QSocketNotifier::activated, &loop, [&] {
            if (const auto signal = limits.stopSignals->received(); signal && !end)
                settle(stopped(recorder, *signal));
        });
    }
    watch.start();
    look();
    if (!end)
        loop.exec();
    automation.runner.removeObserver(endWatch);
    return *end;
}
