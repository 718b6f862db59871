// HTML -> document model of the built-in engine, next to gumbo's bare parse of the same bytes.
// Counters: "x_gumbo" is the model's time over gumbo's (parse and free) for the same page;
// "retained_x_html" is the heap the finished model keeps, over the page's size.
#include "browser/builtin/dom/HtmlDocument.h"

#include <benchmark/benchmark.h>
#include <gumbo.h>
#include <malloc.h>

#include <QByteArray>
#include <QRandomGenerator>

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

[[nodiscard]] const QByteArray &pageOfSize(qsizetype megabytes)
{
    static QByteArray pages[21];
    QByteArray &page = pages[megabytes];
    if (page.isEmpty())
        page = PageGenerator(42).page(megabytes * 1024 * 1024);
    return page;
}

void gumboParse(const QByteArray &html)
{
    GumboOptions options = kGumboDefaultOptions;
    options.max_errors = 0;
    GumboOutput *output = gumbo_parse_with_options(&options, html.constData(), size_t(html.size()));
    benchmark::DoNotOptimize(output);
    gumbo_destroy_output(&options, output);
}

[[nodiscard]] std::shared_ptr<Document> buildModel(const QByteArray &html)
{
    return buildHtmlDocument(html, "text/html; charset=utf-8", QUrl("http://127.0.0.1/page.html"), {});
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

void BM_GumboParse(benchmark::State &state)
{
    const QByteArray &html = pageOfSize(state.range(0));
    for (auto _ : state)
        gumboParse(html);
    state.SetBytesProcessed(state.iterations() * html.size());
}

void BM_BuildDocumentModel(benchmark::State &state)
{
    const QByteArray &html = pageOfSize(state.range(0));
    double modelSeconds = 0;
    double gumboSeconds = 0;
    for (auto _ : state) {
        // Each round times gumbo beside the model, so that both see the same machine load.
        state.PauseTiming();
        gumboSeconds += cpuSecondsOf([&] { gumboParse(html); });
        state.ResumeTiming();
        modelSeconds += cpuSecondsOf([&] { benchmark::DoNotOptimize(buildModel(html)); });
    }
    // Heap in use: the arena's chunks and the blocks malloc maps on their own.
    const auto heapInUse = [] {
        const struct mallinfo2 info = mallinfo2();
        return info.uordblks + info.hblkhd;
    };
    malloc_trim(0);
    const size_t before = heapInUse();
    const auto kept = buildModel(html);
    const size_t after = heapInUse();
    state.SetBytesProcessed(state.iterations() * html.size());
    state.counters["x_gumbo"] = modelSeconds / gumboSeconds;
    state.counters["retained_x_html"] = double(after - before) / double(html.size());
    state.counters["html_MB"] = double(html.size()) / (1024 * 1024);
}

} // namespace

BENCHMARK(BM_GumboParse)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildDocumentModel)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
