// How fast the runner executes lines: unknown words at interval 0, and "if" lines whose cost
// must grow linearly with the size of the page's body.
#include "browser/BrowserWindow.h"
#include "engine/BrowserAccess.h"
#include "engine/PageActions.h"
#include "engine/RunState.h"
#include "engine/ScriptRunner.h"
#include "page/Document.h"


#include "SilentHost.h"

#include <benchmark/benchmark.h>

namespace {

class BodyElement : public Element {
public:
    explicit BodyElement(const QString &html) : m_html(html) {}
    QString tagName() const override { return QStringLiteral("BODY"); }
    QString innerText() const override { return m_html; }
    QString innerHTML() const override { return m_html; }
    QString className() const override { return {}; }
    QString id() const override { return {}; }
    QString name() const override { return {}; }
    QString type() const override { return {}; }
    QString value() const override { return {}; }
    QString src() const override { return {}; }
    QString href() const override { return {}; }
    QString target() const override { return {}; }
    void setValue(const QString &) override {}
    void setInnerText(const QString &) override {}
    void setTarget(const QString &) override {}
    void click() override {}
    std::unique_ptr<Collection> all() const override { return nullptr; }

private:
    const QString &m_html;
};

class BodyDocument : public Document {
public:
    explicit BodyDocument(QString html) : m_html(std::move(html)) {}
    DocumentKind kind() const override { return DocumentKind::Html; }
    std::unique_ptr<Element> body() const override { return std::make_unique<BodyElement>(m_html); }
    std::unique_ptr<Collection> all() const override { return nullptr; }
    std::unique_ptr<Collection> links() const override { return nullptr; }
    std::unique_ptr<Collection> getElementsByName(const QString &) const override { return nullptr; }
    std::unique_ptr<Element> getElementById(const QString &) const override { return nullptr; }
    std::unique_ptr<Collection> getElementsByTagName(const QString &) const override { return nullptr; }
    void execCommand(const QString &, bool, const QVariant &) override {}

private:
    QString m_html;
};

class PageWindow : public BrowserWindow {
public:
    void Navigate(const QString &) override {}
    void GoBack() override {}
    void Stop() override {}
    void Quit() override {}
    std::shared_ptr<Document> document() override { return page; }
    QString LocationURL() const override { return {}; }
    bool Busy() const override { return false; }
    QString Name() const override { return {}; }
    void setStatusText(const QString &) override {}
    void setToolBar(bool) override {}
    void setStatusBar(bool) override {}
    void ExecWB(int, int) override {}
    void setEventSink(BrowserEvents *) override {}

    std::shared_ptr<Document> page;
};

class OneWindow : public BrowserAccess {
public:
    BrowserWindow &IE() override { return window; }
    void AttachBrowser() override {}
    PageWindow window;
};

class NoPageActions : public PageActions {
public:
    void Clink(const QString &) override {}
    void ClinkNew(const QString &) override {}
    void FillFormByName(const QString &, const QString &) override {}
    void FillAppend(const QString &, const QString &) override {}
    void FillClass(const QString &, const QString &) override {}
    void FillByID(const QString &, const QString &) override {}
    void FillAppendByID(const QString &, const QString &) override {}
    void ClickButton(const QString &, bool) override {}
    void ClickButtonByName(const QString &) override {}
    void ClickItem(qint16, const QString &) override {}
    void ClickInputImg(const QString &) override {}
    void ClickClass(const QString &) override {}
    void ClickElementByID(const QString &, bool) override {}
    void ClickElementByName(const QString &, bool) override {}
};

struct Bench {
    RunState state;
    SilentHost host;
    OneWindow browser;
    NoPageActions page;
    ScriptRunner runner{state, host, browser, page};
};

QString repeatedLines(const QString &line, int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << line.arg(i);
    return lines.join(QStringLiteral("\r\n"));
}

void UnknownWordLines(benchmark::State &state)
{
    Bench bench;
    const QString script = repeatedLines(QStringLiteral("remark%1;first field;second field;third"), 10000);
    for (auto _ : state) {
        bench.runner.mRunScript_Click(script);
        while (bench.runner.TimerNav().isActive())
            bench.runner.TimerNav_Timer();
    }
    state.SetItemsProcessed(state.iterations() * 10000);
    state.counters["lines/s"] = benchmark::Counter(double(state.iterations()) * 10000, benchmark::Counter::kIsRate);
}
BENCHMARK(UnknownWordLines)->Unit(benchmark::kMillisecond);

void IfLinesAgainstBody(benchmark::State &state)
{
    Bench bench;
    const qsizetype bodySize = state.range(0);
    QString body;
    body.reserve(bodySize);
    while (body.size() < bodySize)
        body += QStringLiteral("<div class=\"row\"><a href=\"/item\">Item</a> text text text</div>\n");
    body.truncate(bodySize);
    bench.browser.window.page = std::make_shared<BodyDocument>(body);
    const QString script = repeatedLines(QStringLiteral("if;not on the page %1;beep"), 10);
    for (auto _ : state) {
        bench.runner.mRunScript_Click(script);
        while (bench.runner.TimerNav().isActive())
            bench.runner.TimerNav_Timer();
    }
    state.SetComplexityN(bodySize);
    state.SetBytesProcessed(state.iterations() * 10 * bodySize * qsizetype(sizeof(QChar)));
}
BENCHMARK(IfLinesAgainstBody)->RangeMultiplier(4)->Range(16 << 10, 1 << 20)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

} // namespace
