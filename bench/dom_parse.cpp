// HTML -> document model of the built-in engine, next to myhtml's bare parse of the same bytes.
// Counters: "x_bare" is the model's time over myhtml's bare parse with a tree of its own (made,
// filled and destroyed), "x_bare_reused" over the bare parse into one tree kept from page to
// page, as the engine keeps it for pages up to 256 KB; "destruction_x_bare" is the time the
// model takes to destroy (not part of the other figures); "retained_x_html" is the heap the
// finished model keeps, over the page's size. The second argument is how many tokens the parser
// reads between releases of the finished part of the page (0: the whole tree is copied at the
// end). Generated pages of 1 and 20 MB, and with
// DOM_PARSE_PAGE=FILE that page too, e.g. the peer benchmark's start page:
//   python3 -c 'import sys; sys.path[:0] = ["bench/peers"]; import testsite; testsite.write_round_pages("/tmp/pages", False)'
//   DOM_PARSE_PAGE=/tmp/pages/1-index.html build/bench/dom_parse
#include "browser/builtin/dom/HtmlDocument.h"
#include "browser/builtin/dom/HtmlParser.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <myhtml/myhtml.h>

#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>

#include <cstdlib>
#include <ctime>
#include <functional>

namespace {

constexpr const char *Words[] = {"browser", "script", "navigation", "page", "relay", "form", "value", "link",
                                 "déjà", "über", "naïve", "the", "and", "of", "to", "a", "in", "is", "for"};

class PageGenerator {
public:
    explicit PageGenerator(quint32 seed) : m_random(seed) {}

    [[nodiscard]] QByteArray page(qsizetype size)
    {
        QByteArray html = "<!DOCTYPE html>\n<html lang=en><head><meta charset=utf-8><title>Generated page</title>"
                          "<link rel=stylesheet href=/site.css><style>body{margin:0} .nav a{color:red}</style>"
                          "<script>var config = {a: 1, b: '<div>'};</script></head>\n<body class=home>\n"
                          "<div class=nav><ul>";
        for (int i = 0; i < 12; ++i)
            html += "<li><a href=\"/section/" + QByteArray::number(i) + "\" class=\"nav-link\">" + words(2) + "</a></li>";
        html += "</ul></div>\n";
        while (html.size() < size)
            html += block();
        html += "<footer><p>&copy; 2024 &mdash; generated</p></footer>\n</body></html>\n";
        return html;
    }

private:
    [[nodiscard]] QByteArray words(int count)
    {
        QByteArray text;
        for (int i = 0; i < count; ++i) {
            if (i)
                text += ' ';
            text += Words[m_random.bounded(int(std::size(Words)))];
        }
        return text;
    }

    [[nodiscard]] QByteArray paragraph()
    {
        QByteArray text = "<p class=\"text\">";
        for (int i = 0; i < 6; ++i) {
            text += words(int(m_random.bounded(4, 12)));
            switch (m_random.bounded(5)) {
            case 0: text += " <a href=\"/article?id=" + QByteArray::number(m_random.bounded(100000)) + "&amp;ref=list\">" + words(2) + "</a> "; break;
            case 1: text += " <b>" + words(2) + "</b> "; break;
            case 2: text += " <span class=\"note\" title=\"" + words(1) + "\">" + words(3) + "</span> "; break;
            case 3: text += ", &quot;" + words(1) + "&quot; &amp; "; break;
            default: text += ". "; break;
            }
        }
        return text + "</p>\n";
    }

    [[nodiscard]] QByteArray table()
    {
        QByteArray text = "<table class=data><thead><tr><th>Name</th><th>Value</th><th>Link</th></tr></thead><tbody>";
        for (int row = 0; row < 8; ++row)
            text += "<tr><td>" + words(1) + "</td><td>" + QByteArray::number(m_random.bounded(1000)) + "</td><td><a href=\"/row/"
                + QByteArray::number(row) + "\">open</a></td></tr>";
        return text + "</tbody></table>\n";
    }

    [[nodiscard]] QByteArray form()
    {
        return "<form action=\"/search\" method=post><label for=q>Search</label><input type=text name=q id=q value=\"\">"
               "<select name=cat><option value=1>One<option value=2 selected>Two</select>"
               "<input type=checkbox name=all checked><textarea name=note rows=3>"
            + words(5) + "</textarea><input type=submit value=Go></form>\n";
    }

    [[nodiscard]] QByteArray block()
    {
        QByteArray text = "<div class=\"article\" id=\"a" + QByteArray::number(m_blocks++) + "\"><h2>" + words(4) + "</h2>\n";
        for (int i = 0; i < 4; ++i)
            text += paragraph();
        switch (m_random.bounded(4)) {
        case 0: text += table(); break;
        case 1: text += form(); break;
        case 2: text += "<ul>" + QByteArray("<li>") + words(3) + "<li>" + words(3) + "</ul><img src=\"/img/" + words(1) + ".png\" alt=\"picture\">\n"; break;
        default: text += "<!-- " + words(6) + " -->\n"; break;
        }
        return text + "</div>\n";
    }

    QRandomGenerator m_random;
    int m_blocks = 0;
};

// Page 0 is the file DOM_PARSE_PAGE names; the others are generated pages of that many megabytes.
[[nodiscard]] const QByteArray &page(qsizetype megabytes)
{
    static QByteArray pages[21];
    QByteArray &page = pages[megabytes];
    if (page.isEmpty() && megabytes == 0) {
        QFile file(QString::fromLocal8Bit(qgetenv("DOM_PARSE_PAGE")));
        if (file.open(QIODevice::ReadOnly))
            page = file.readAll();
    } else if (page.isEmpty()) {
        page = PageGenerator(42).page(megabytes * 1024 * 1024);
    }
    return page;
}

// myhtml on its own, as a program that reads the tree it builds would use it.
class BareParser {
public:
    BareParser()
    {
        myhtml_init(m_myhtml, MyHTML_OPTIONS_PARSE_MODE_SINGLE, 1, 0);
        myhtml_tree_init(m_reused, m_myhtml);
    }
    ~BareParser()
    {
        myhtml_tree_destroy(m_reused);
        myhtml_destroy(m_myhtml);
    }
    BareParser(const BareParser &) = delete;
    BareParser &operator=(const BareParser &) = delete;

    void parseIntoNewTree(const QByteArray &html)
    {
        myhtml_tree_t *tree = myhtml_tree_create();
        myhtml_tree_init(tree, m_myhtml);
        myhtml_parse_single(tree, MyENCODING_UTF_8, html.constData(), size_t(html.size()));
        benchmark::DoNotOptimize(tree->document);
        myhtml_tree_destroy(tree);
    }

    void parseIntoReusedTree(const QByteArray &html)
    {
        myhtml_parse_single(m_reused, MyENCODING_UTF_8, html.constData(), size_t(html.size()));
        benchmark::DoNotOptimize(m_reused->document);
    }

private:
    myhtml_t *m_myhtml = myhtml_create();
    myhtml_tree_t *m_reused = myhtml_tree_create();
};

[[nodiscard]] std::shared_ptr<Document> buildModel(const QByteArray &html, dom::HtmlParser &parser)
{
    return buildHtmlDocument(html, "text/html; charset=utf-8", QUrl("http://127.0.0.1/page.html"), {}, parser);
}

// CPU time, so that other processes on the machine do not skew the ratio.
[[nodiscard]] double cpuSecondsOf(const std::function<void()> &work)
{
    const auto cpuSeconds = [] {
        timespec time{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
        return double(time.tv_sec) + double(time.tv_nsec) / 1e9;
    };
    const double start = cpuSeconds();
    work();
    return cpuSeconds() - start;
}

[[nodiscard]] const QByteArray *pageFor(benchmark::State &state)
{
    const QByteArray &html = page(state.range(0));
    if (html.isEmpty()) {
        state.SkipWithError("DOM_PARSE_PAGE names no readable page");
        return nullptr;
    }
    return &html;
}

void BM_MyhtmlBareParse(benchmark::State &state)
{
    const QByteArray *html = pageFor(state);
    if (!html)
        return;
    BareParser parser;
    for (auto _ : state)
        parser.parseIntoNewTree(*html);
    state.SetBytesProcessed(state.iterations() * html->size());
}

void BM_MyhtmlBareParseReusedTree(benchmark::State &state)
{
    const QByteArray *html = pageFor(state);
    if (!html)
        return;
    BareParser parser;
    for (auto _ : state)
        parser.parseIntoReusedTree(*html);
    state.SetBytesProcessed(state.iterations() * html->size());
}

// The engine's parser kept from page to page, as the thread that builds documents keeps one.
void BM_BuildDocumentModel(benchmark::State &state)
{
    const QByteArray *html = pageFor(state);
    if (!html)
        return;
    const auto tokensBetweenReleases = size_t(state.range(1));
    BareParser bare;
    dom::HtmlParser parser(dom::MaxNestingDepth, tokensBetweenReleases);
    double modelSeconds = 0;
    double bareSeconds = 0;
    double reusedSeconds = 0;
    double destructionSeconds = 0;
    for (auto _ : state) {
        // Each round times the bare parses beside the model, so that all see the same machine load.
        state.PauseTiming();
        bareSeconds += cpuSecondsOf([&] { bare.parseIntoNewTree(*html); });
        reusedSeconds += cpuSecondsOf([&] { bare.parseIntoReusedTree(*html); });
        state.ResumeTiming();
        std::shared_ptr<Document> model;
        modelSeconds += cpuSecondsOf([&] { model = buildModel(*html, parser); });
        // The model's destruction is timed apart: it is no part of reading the page.
        state.PauseTiming();
        destructionSeconds += cpuSecondsOf([&] { model.reset(); });
        state.ResumeTiming();
    }
    // Heap in use: what malloc hands out from its arenas and the blocks it maps on their own.
    const auto heapInUse = [] {
        const struct mallinfo2 info = mallinfo2();
        return info.uordblks + info.hblkhd;
    };
    malloc_trim(0);
    const size_t before = heapInUse();
    const auto kept = [&] {
        dom::HtmlParser fresh(dom::MaxNestingDepth, tokensBetweenReleases);
        return buildModel(*html, fresh);
    }();
    const size_t after = heapInUse();
    state.SetBytesProcessed(state.iterations() * html->size());
    state.counters["x_bare"] = modelSeconds / bareSeconds;
    state.counters["x_bare_reused"] = modelSeconds / reusedSeconds;
    state.counters["destruction_x_bare"] = destructionSeconds / bareSeconds;
    state.counters["retained_x_html"] = double(after - before) / double(html->size());
    state.counters["html_KB"] = double(html->size()) / 1024;
}

} // namespace

BENCHMARK(BM_MyhtmlBareParse)->Arg(0)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MyhtmlBareParseReusedTree)->Arg(0)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildDocumentModel)
    ->ArgsProduct({{0, 1, 20}, {dom::TokensBetweenReleases, 0}})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
