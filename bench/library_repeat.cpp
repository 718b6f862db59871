// How fast the script library grows and shows scripts: Repeat All and Repeat Last with large
// counts, up to the final editor text, and loadScripts on a library of 10,000 scripts.
#include "engine/Host.h"
#include "library/CommonDialog.h"
#include "library/EditorText.h"
#include "library/RepeatText.h"
#include "library/ScriptLibrary.h"
#include "page/LinkList.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

namespace {

class AnsweringHost : public Host {
public:
    void setStatusText(const QString &text) override { status = text; }
    void messageBox(const QString &, const QString &, MessageIcon, MessageButtons) override {}
    QString inputBox(const QString &, const QString &, const QString &) override { return answer; }
    QString clipboardText() override { return {}; }
    void beep() override {}
    void sleep(int) override {}
    void closeMainWindow() override {}

    QString answer;
    QString status;
};

class NoDialog : public CommonDialog {
public:
    QString fileName() const override { return {}; }
    void setFileName(const QString &) override {}
    bool showOpen() override { return false; }
    bool showSave() override { return false; }
};

struct Library {
    explicit Library(const QString &root) : library(tree, editor, dialog, host, links, root, [] {}) {}

    QTreeWidget tree;
    QPlainTextEdit editor;
    NoDialog dialog;
    AnsweringHost host;
    LinkList links;
    ScriptLibrary library;
};

QString scriptOfLines(int lines)
{
    QStringList text;
    for (int line = 1; line <= lines; ++line)
        text << QStringLiteral("fill;field%1;value number %1").arg(line);
    return text.join(QStringLiteral("\r\n"));
}

// The whole command: read the editor, build the copies, set them, count the lines.
void RepeatCommand(benchmark::State &state, bool all)
{
    Library bench(QString{});
    bench.host.answer = QString::number(state.range(1));
    const QString script = scriptOfLines(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        setEditorText(bench.editor, script);
        state.ResumeTiming();
        if (all)
            bench.library.repeatWholeText();
        else
            bench.library.repeatLastLine();
    }
    state.SetLabel(bench.host.status.toStdString());
}

void RepeatAll(benchmark::State &state)
{
    RepeatCommand(state, true);
}
BENCHMARK(RepeatAll)->Args({20, 10000})->Args({50, 10000})->Unit(benchmark::kMillisecond);

void RepeatLast(benchmark::State &state)
{
    RepeatCommand(state, false);
}
BENCHMARK(RepeatLast)->Args({20, 10000})->Args({20, 32767})->Unit(benchmark::kMillisecond);

// Building the text alone, without the editor widget.
void RepeatAllText(benchmark::State &state)
{
    const QString script = scriptOfLines(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(repeatAllTail(script, int(state.range(1))));
}
BENCHMARK(RepeatAllText)->Args({50, 10000})->Unit(benchmark::kMillisecond);

void loadScripts(benchmark::State &state)
{
    QTemporaryDir folder;
    const QString root = folder.path() + QStringLiteral("/Scripts");
    const int count = int(state.range(0));
    for (int f = 0; f < count; ++f) {
        const QString scriptFolder = root + QStringLiteral("/Folder%1").arg(f, 3, 10, QLatin1Char('0'));
        QDir().mkpath(scriptFolder);
        for (int s = 0; s < count; ++s) {
            QFile file(scriptFolder + QStringLiteral("/Script%1.txt").arg(s, 3, 10, QLatin1Char('0')));
            if (file.open(QIODevice::WriteOnly))
                file.write("nav;http://127.0.0.1/\r\n");
        }
    }
    Library bench(root);
    for (auto _ : state)
        bench.library.loadScripts();
    state.counters["nodes"] = double(count) * (count + 1);
}
BENCHMARK(loadScripts)->Arg(100)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
