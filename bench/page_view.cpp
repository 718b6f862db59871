// Showing a page in the built-in engine's window: the display serialisation of the document,
// litehtml's parse, styles and layout (on the layout thread, waited for), and the paint of one
// window's worth, as a new page arriving in a shown window costs. The pages are documentation
// pages made here like real ones (a style sheet in the head, a side bar of links, headings,
// paragraphs with inline code and links, code blocks, tables, lists) of about 30 KB and 300 KB,
// the peer benchmark's start page (about 29 KB, a hundred links) and a listing of the same shop
// of about 1 MB.
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

// A manual's page of that many sections, as documentation generators write them.
[[nodiscard]] QByteArray documentationPage(int sections)
{
    QByteArray html = "<!DOCTYPE html><html lang=en><head><meta charset=utf-8><title>Manual</title><style>"
                      "body{font-family:sans-serif;margin:0;color:#222;line-height:1.5}"
                      "nav{float:left;width:220px;background:#f4f4f4;padding:10px}nav a{display:block;color:#0645ad}"
                      "main{margin-left:250px;padding:0 20px;max-width:800px}h2{border-bottom:1px solid #ccc}"
                      "code{background:#eee;font-family:monospace}pre{background:#f6f8fa;padding:8px;border:1px solid #ddd}"
                      "table{border-collapse:collapse}td,th{border:1px solid #ccc;padding:2px 6px}.note{background:#eef;padding:6px}"
                      "</style></head><body><nav>";
    for (int section = 0; section < sections; ++section)
        html += "<a href=\"#s" + QByteArray::number(section) + "\">" + QByteArray::number(section + 1) + ". Section</a>";
    html += "</nav><main><h1>Manual</h1>";
    for (int section = 0; section < sections; ++section) {
        const QByteArray number = QByteArray::number(section);
        html += "<h2 id=s" + number + ">" + number + ". Options of the reader</h2>"
                "<p>The reader takes its options from the <code>settings</code> object, as the "
                "<a href=\"#s0\">first section</a> shows; an option left out keeps its default, and "
                "one given twice keeps the <em>last</em> value. See <a href=\"/api/reader.html\">the reference</a>.</p>"
                "<pre><code>const reader = open(path, { encoding: 'utf-8', highWaterMark: 64 });\n"
                "for await (const line of reader) {\n  handle(line);\n}</code></pre>"
                "<table><tr><th>Option</th><th>Default</th><th>Meaning</th></tr>"
                "<tr><td><code>encoding</code></td><td>utf-8</td><td>how bytes become text</td></tr>"
                "<tr><td><code>highWaterMark</code></td><td>64</td><td>kilobytes read ahead</td></tr></table>"
                "<ul><li>Lines end at LF or CR LF.</li><li>A last line without an end is read too.</li></ul>"
                "<p class=note><strong>Note:</strong> a reader closed early drops what it read ahead.</p>";
    }
    return html + "</main></body></html>";
}

[[nodiscard]] const QByteArray &page(int which)
{
    static const QByteArray small = documentationPage(33);
    static const QByteArray medium = documentationPage(330);
    static const QByteArray start = shopPage("testsite.Site().index");
    static const QByteArray large =
        shopPage("(lambda m: m.page('Catalogue', m.listing(1500, 100)))(testsite.PageMaker()).encode()");
    const QByteArray *pages[] = {&small, &medium, &start, &large};
    return *pages[which];
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

BENCHMARK(BM_ShowPage)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);
