// Showing a page in the built-in engine's window: the display serialisation of the document,
// the preparation of its style sheets, litehtml's parse, styles and layout (on the layout thread,
// waited for), and the paint of one window's worth, as a new page arriving in a shown window
// costs. CPU time is the whole process's, layout thread included.
//
// The pages: an API reference page made here as documentation generators write them (a side bar
// and a table of contents of links, sections with signatures, paragraphs with inline code and
// links, highlighted code blocks, lists of parameters, tables), of about 30 KB and 300 KB, styled
// by two linked style sheets served on 127.0.0.1: the API page's sheet of bench/fidelity (custom
// properties, nesting, a dark-scheme query, calc()) and a site sheet of about 400 rules
// (highlighting, navigation, utilities, narrow-screen queries); then the peer benchmark's start
// page (about 29 KB, a hundred links, no style sheet) and a listing of the same shop of about 1 MB.
#include "browser/builtin/dom/HtmlDocument.h"
#include "browser/builtin/net/NetworkAccess.h"
#include "browser/builtin/view/PageView.h"

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QImage>
#include <QProcess>

#include <array>
#include <string>
#include <thread>

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

constexpr std::array Modules{"assert", "buffer", "child_process", "cluster", "crypto", "dgram", "dns", "events",
                             "fs", "http", "https", "net", "os", "path", "process", "readline", "stream",
                             "string_decoder", "timers", "tls", "url", "util", "vm", "worker_threads", "zlib"};
constexpr std::array Tokens{"keyword", "built_in", "string", "number", "comment", "title", "params", "function",
                            "literal", "attr", "variable", "property", "punctuation", "operator", "meta",
                            "regexp", "subst", "symbol", "class", "type", "tag", "name", "doctag", "section"};

// The site's own style sheet, as documentation sites have one beside the generator's: rules for
// the navigation, the highlighted code, a family of utility classes, and narrow screens.
[[nodiscard]] std::string siteStyleSheet()
{
    std::string css = "#content{display:block;max-width:1200px}#column2{float:left;width:234px;background:#333;"
                      "color:#e8e8e8;padding-bottom:2rem}#column2 ul{list-style:none;margin:0;padding:0}"
                      "#column2 ul li a{display:block;padding:0.25rem 1rem;color:#e8e8e8;text-decoration:none}"
                      "#column2 ul li a.active{background:#3c873a;color:#fff}#column1{margin-left:234px}"
                      "#toc{margin:1rem 0;padding:0.5rem 1rem;border:1px solid #e8e8e8}#toc ul{margin:0}"
                      ".api_metadata{font-size:0.85rem;margin-bottom:1rem;color:#707070}"
                      ".api_metadata span{margin-right:1rem}.mark{float:right;color:#ccc;font-weight:400}"
                      "a.type{font-family:monospace;color:#3c873a}ul.params li{margin:0.25rem 0}"
                      "table.options{border-collapse:collapse;margin:1rem 0}"
                      "table.options th,table.options td{border:1px solid #ccc;padding:0.25rem 0.5rem;text-align:left}"
                      "table.options th{background:#f2f2f2}footer{clear:both;padding:2rem;color:#707070}\n";
    const char *colours[] = {"#a626a4", "#c18401", "#50a14f", "#986801", "#a0a1a7", "#4078f2", "#383a42", "#e45649"};
    for (size_t token = 0; token < Tokens.size(); ++token)
        css += std::string(".hljs-") + Tokens[token] + "{color:" + colours[token % 8] + (token % 3 ? "" : ";font-style:italic")
            + "}\n.hljs-" + Tokens[token] + " .hljs-params{color:inherit}\n";
    for (const char *module : Modules)
        css += std::string("#column2 a.nav-") + module + ":hover{background:#5fa04e}\n#api-section-" + module
            + " #column2 a.nav-" + module + "{background:#3c873a;color:#fff}\n";
    const char *sides[][2] = {{"t", "top"}, {"b", "bottom"}, {"l", "left"}, {"r", "right"}};
    for (int step = 0; step <= 5; ++step) {
        const std::string size = std::to_string(step * 0.25).substr(0, 4) + "rem";
        for (const auto &[letter, side] : sides)
            for (const char *box : {"m", "p"})
                css += std::string(".") + box + letter + "-" + std::to_string(step) + "{" + (*box == 'm' ? "margin" : "padding")
                    + "-" + side + ":" + size + "!important}\n";
        css += ".gap-" + std::to_string(step) + ">*+*{margin-top:" + size + "}\n";
    }
    for (const char *width : {"1024px", "800px", "600px"})
        css += std::string("@media (max-width:") + width + "){#column2{display:none}#column1{margin-left:0}"
            + "pre{font-size:0.8rem}h1{font-size:2rem}table.options{display:block;overflow-x:auto}}\n";
    css += "@media print{#column2,#toc,.mark{display:none}a{color:#000}}\n";
    return css;
}

// An API reference page of that many sections, as a documentation generator writes one.
[[nodiscard]] std::string apiPage(int sections)
{
    std::string html = "<!DOCTYPE html><html lang=\"en\"><head><meta charset=\"utf-8\">"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
                       "<title>File system | Runtime v20 Documentation</title>"
                       "<link rel=\"stylesheet\" href=\"/api.css\"><link rel=\"stylesheet\" href=\"/site.css\"></head>"
                       "<body class=\"alt apidoc\" id=\"api-section-fs\"><div id=\"content\" class=\"clearfix\">"
                       "<div id=\"column2\" class=\"interior\"><div id=\"intro\" class=\"interior\"><a href=\"/\">Runtime</a></div><ul>";
    for (const char *module : Modules)
        html += std::string("<li><a href=\"") + module + ".html\" class=\"nav-" + module + "\">" + module + "</a></li>";
    html += "</ul></div><div id=\"column1\" data-id=\"fs\" class=\"interior\"><header>Runtime v20 documentation</header>"
            "<h1>File system</h1><p class=\"api_stability\"><strong>Stability: 2</strong> - Stable.</p>"
            "<details id=\"toc\" open><summary>Table of contents</summary><ul>";
    for (int section = 0; section < sections; ++section) {
        const std::string id = "fs_method_" + std::to_string(section);
        html += "<li><a href=\"#" + id + "\"><code>fs.method" + std::to_string(section) + "(path[, options], callback)</code></a></li>";
    }
    html += "</ul></details><div id=\"apicontent\">";
    for (int section = 0; section < sections; ++section) {
        const std::string number = std::to_string(section);
        const std::string id = "fs_method_" + number;
        html += "<section><h2><code class=\"signature\">fs.method" + number + "(path[, options], callback)</code>"
                "<span><a class=\"mark\" href=\"#" + id + "\" id=\"" + id + "\">#</a></span></h2>"
                "<div class=\"api_metadata\"><span>Added in: v0." + number + ".0</span><span>History</span></div>"
                "<ul class=\"params\"><li><code>path</code> <a href=\"url.html#the-whatwg-url-api\" class=\"type\">&lt;string&gt;</a>"
                " | <a href=\"buffer.html#class-buffer\" class=\"type\">&lt;Buffer&gt;</a></li>"
                "<li><code>options</code> <a href=\"#\" class=\"type\">&lt;Object&gt;</a><ul>"
                "<li><code>encoding</code> <a href=\"#\" class=\"type\">&lt;string&gt;</a> <strong>Default:</strong> <code>'utf8'</code></li>"
                "<li><code>flag</code> <a href=\"#\" class=\"type\">&lt;string&gt;</a> See <a href=\"#file-system-flags\">support of file "
                "system <code>flags</code></a>.</li></ul></li>"
                "<li><code>callback</code> <a href=\"#\" class=\"type\">&lt;Function&gt;</a></li></ul>"
                "<p>Asynchronously reads the entire contents of a file. The <code>callback</code> is passed two arguments "
                "<code>(err, data)</code>, where <code>data</code> is the contents of the file. If no encoding is specified, "
                "then the raw buffer is returned. When the path is a directory, the behavior of <code>fs.method" + number +
                "()</code> is platform-specific; see <a href=\"#fs_method_0\">the first method</a>.</p>"
                "<pre><code class=\"language-js\"><span class=\"hljs-keyword\">import</span> { method" + number +
                " } <span class=\"hljs-keyword\">from</span> <span class=\"hljs-string\">'node:fs'</span>;\n\n"
                "<span class=\"hljs-title function_\">method" + number + "</span>(<span class=\"hljs-string\">'/etc/passwd'</span>, "
                "(<span class=\"hljs-params\">err, data</span>) =&gt; {\n  <span class=\"hljs-keyword\">if</span> (err) "
                "<span class=\"hljs-keyword\">throw</span> err;\n  <span class=\"hljs-variable language_\">console</span>."
                "<span class=\"hljs-title function_\">log</span>(data); <span class=\"hljs-comment\">// "
                + number + " bytes</span>\n});</code></pre>";
        if (section % 3 == 0)
            html += "<table class=\"options\"><tr><th>Flag</th><th>Description</th></tr>"
                    "<tr><td><code>'a'</code></td><td>Open file for appending.</td></tr>"
                    "<tr><td><code>'r+'</code></td><td>Open file for reading and writing.</td></tr></table>";
        html += "</section>";
    }
    return html + "</div></div></div><footer>Runtime documentation</footer></body></html>";
}

// The style sheets of the API pages, served on 127.0.0.1 while the benchmarks run.
class StyleSheetSite {
public:
    StyleSheetSite()
    {
        m_server.set_mount_point("/", NAVRELAY_FIDELITY_DIR);
        const std::string site = siteStyleSheet();
        m_server.Get("/site.css", [site](const httplib::Request &, httplib::Response &response) {
            response.set_content(site, "text/css");
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
    }
    ~StyleSheetSite()
    {
        m_server.stop();
        m_thread.join();
    }
    [[nodiscard]] QUrl address() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/fs.html").arg(m_port)); }

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
};

[[nodiscard]] const QByteArray &page(int which)
{
    static const QByteArray small = QByteArray::fromStdString(apiPage(15));
    static const QByteArray medium = QByteArray::fromStdString(apiPage(155));
    static const QByteArray start = shopPage("testsite.Site().index");
    static const QByteArray large =
        shopPage("(lambda m: m.page('Catalogue', m.listing(1500, 100)))(testsite.PageMaker()).encode()");
    const QByteArray *pages[] = {&small, &medium, &start, &large};
    return *pages[which];
}

void BM_ShowPage(benchmark::State &state)
{
    const QByteArray &html = page(int(state.range(0)));
    const StyleSheetSite site;
    const QUrl address = site.address();
    const auto document = buildHtmlDocument(html, "text/html; charset=utf-8", address, {});
    NetworkAccess network;
    PageView view(network, LoadLimits{});
    view.resize(1000, 700);
    // The same width for every layout: the pages are longer than the window.
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.show();
    QImage shown(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    // The style sheets arrive once and are kept, as they are for the pages of a site that follow.
    view.showDocument(document, address);
    const QDeadlineTimer arrival(60'000);
    while (!view.isSettled() && !arrival.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
    if (!view.unfinishedResources().isEmpty()) {
        state.SkipWithError("the style sheets did not arrive");
        return;
    }
    for (auto _ : state) {
        view.showDocument(document, address);
        view.refreshNow();
        view.viewport()->render(&shown);
    }
    if (view.shownAsPlainText())
        state.SkipWithError("the page's layout was given up");
    state.counters["html_KB"] = double(html.size()) / 1024;
}

} // namespace

BENCHMARK(BM_ShowPage)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
