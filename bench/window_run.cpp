// Lines per second of a run in the main window at tick 0: the editor follows the run (current
// line, highlighting), with the run log pane hidden and shown.
#include "app/MainWindow.h"
#include "app/RunLogView.h"
#include "browser/Automation.h"
#include "engine/ScriptRunner.h"
#include "library/EditorText.h"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kLines = 10000;

QString commentLines()
{
    QStringList lines;
    for (int i = 0; i < kLines; ++i)
        lines << QStringLiteral("rem;line %1 of the script").arg(i);
    return lines.join(QStringLiteral("\r\n"));
}

void runInWindow(benchmark::State &state, bool logShown)
{
    QTemporaryDir folder;
    qputenv("XDG_CONFIG_HOME", folder.filePath(QStringLiteral("config")).toUtf8());
    MainWindowOptions options;
    options.settingsApplication = QStringLiteral("window_run");
    options.libraryRoot = folder.filePath(QStringLiteral("Scripts"));
    MainWindow window(options);
    window.startUp();
    window.show();
    window.findChild<RunLogView *>()->setVisible(logShown);
    setEditorText(*window.findChild<QPlainTextEdit *>(QStringLiteral("scriptEditor")), commentLines());
    ScriptRunner &runner = window.automation().runner;
    runner.tickTimer().setInterval(0);
    for (auto _ : state) {
        window.runScript();
        while (runner.tickTimer().isActive())
            QCoreApplication::processEvents();
    }
    state.counters["lines/s"] = benchmark::Counter(double(state.iterations()) * kLines, benchmark::Counter::kIsRate);
}

void WindowRunLogHidden(benchmark::State &state) { runInWindow(state, false); }
void WindowRunLogShown(benchmark::State &state) { runInWindow(state, true); }
BENCHMARK(WindowRunLogHidden)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(WindowRunLogShown)->Unit(benchmark::kMillisecond)->MinTime(2);

} // namespace
