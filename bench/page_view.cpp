// Showing a page in the built-in engine's window: the display serialisation of the document,
// litehtml's parse, styles and layout, and the paint of one window's worth, as a new page
// arriving in a shown window costs. The pages are the peer benchmark's start page (about 29 KB,
// a hundred links) and a listing of the same shop of about 1 MB.
#include "browser/builtin/dom/HtmlDocument.h"
#include "browser/builtin/net/NetworkAccess.h"
#include "browser/builtin/view/PageView.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QProcess>


namespace {

// A page of the peer benchmark's test site, made by its own page maker.
[[nodiscard]] QByteArray shopPage(const char *expression)
{
    QProcess python;
    python.setWorkingDirectory(QStringLiteral(NAVRELAY_PEERS_DIR));
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import sys, testsite; sys.stdout.buffer.write(%1)").arg(QLatin1StringView(expression))});
    python.waitForFinished(60'000);
    return python.readAllStandardOutput();
}

[[nodiscard]] const QByteArray &page(int which)
{
    static const QByteArray start = shopPage("testsite.Site().index");
    static const QByteArray large =
        shopPage("(lambda m: m.page('Catalogue', m.listing(1500, 100)))(testsite.PageMaker()).encode()");
    return which == 0 ? start : large;
}

void BM_ShowPage(benchmark::State &state)
{
    const QByteArray &html = page(int(state.range(0)));
    const QUrl address(QStringLiteral("http://127.0.0.1:9/index.html"));
    const auto document = buildHtmlDocument(html, "text/html; charset=utf-8", address, {});
    NetworkAccess network;
    PageView view(network, LoadLimits{});
    view.resize(1000, 700);
    QImage shown(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        view.showDocument(document, address);
        view.refreshNow();
        view.viewport()->render(&shown);
    }
    state.counters["html_KB"] = double(html.size()) / 1024;
}

} // namespace

BENCHMARK(BM_ShowPage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
