// How fast the runner executes lines: unknown words at interval 0, and "if" lines whose cost
// must grow linearly with the size of the page's body.
#include "engine/BrowserWindow.h"
#include "engine/BrowserAccess.h"
#include "engine/PageActions.h"
#include "engine/RunState.h"
#include "engine/ScriptRunner.h"
#include "page/BrowserPageActions.h"
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
    void navigate(const QString &) override {}
    void goBack() override {}
    void stop() override {}
    void quit() override {}
    std::shared_ptr<Document> document() override { return page; }
    QString locationUrl() const override { return {}; }
    int httpStatus() const override { return 0; }
    QString loadError() const override { return {}; }
    bool isBusy() const override { return false; }
    QString name() const override { return {}; }
    void setStatusText(const QString &) override {}
    void setToolBar(bool) override {}
    void setStatusBar(bool) override {}
    void clearSelection() override {}
    void setEventSink(BrowserEvents *) override {}

    std::shared_ptr<Document> page;
};

class OneWindow : public BrowserAccess {
public:
    BrowserWindow &window() override { return pageWindow; }
    void attachBrowser() override {}
    PageWindow pageWindow;
};

class NoPageActions : public PageActions {
public:
    explicit NoPageActions(BrowserAccess &browser) : m_browser(browser) {}

    void clickLink(const QString &) override {}
    void clickLinkInNewWindow(const QString &) override {}
    void fillByName(const QString &, const QString &) override {}
    void appendByName(const QString &, const QString &) override {}
    void fillByClass(const QString &, const QString &) override {}
    void fillById(const QString &, const QString &) override {}
    void appendById(const QString &, const QString &) override {}
    void clickButton(const QString &, bool) override {}
    void clickButtonByName(const QString &) override {}
    void clickItem(qint16, const QString &) override {}
    void clickImageInput(const QString &) override {}
    void clickByClass(const QString &) override {}
    void clickElementById(const QString &, bool) override {}
    void clickElementByName(const QString &, bool) override {}
    TargetState targetState(const ActionTarget &) override { return TargetState::Ready; }
    void readBodyHtml(const std::function<bool(QStringView)> &read) override { readBodyHtmlOf(m_browser.window(), read); }

private:
    BrowserAccess &m_browser;
};

struct Bench {
    RunState state;
    SilentHost host;
    OneWindow browser;
    NoPageActions page{browser};
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
        bench.runner.runScript(script);
        while (bench.runner.tickTimer().isActive())
            bench.runner.tick();
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
    bench.browser.pageWindow.page = std::make_shared<BodyDocument>(body);
    const QString script = repeatedLines(QStringLiteral("if;not on the page %1;beep"), 10);
    for (auto _ : state) {
        bench.runner.runScript(script);
        while (bench.runner.tickTimer().isActive())
            bench.runner.tick();
    }
    state.SetComplexityN(bodySize);
    state.SetBytesProcessed(state.iterations() * 10 * bodySize * qsizetype(sizeof(QChar)));
}
BENCHMARK(IfLinesAgainstBody)->RangeMultiplier(4)->Range(16 << 10, 1 << 20)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

} // namespace
