// A script cycle on the built-in engine against a loopback server, as navrelay-run runs it at
// --tick 0: nav, clink, fill, clickbutton; reported as pages per second.
#include "browser/Automation.h"
#include "browser/builtin/BuiltinBrowser.h"

#include <QCoreApplication>
#include <QEventLoop>

#include "SilentHost.h"

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <thread>

namespace {

// A page of realistic size: about 25 KB with a hundred links and a search form.
std::string sitePage(const std::string &title)
{
    std::string html = "<!DOCTYPE html><html><head><meta charset=utf-8><title>" + title
        + "</title></head><body><h1>" + title + "</h1><nav>";
    for (int i = 0; i < 100; ++i)
        html += "<a href=\"/item" + std::to_string(i) + ".html\">Item number " + std::to_string(i) + "</a> ";
    html += "</nav><a href=\"/search.html\">Search</a><form action=\"/results.html\">"
            "<input name=q><input type=hidden name=lang value=en><input type=submit value=Go></form>";
    for (int i = 0; i < 100; ++i)
        html += "<p class=\"text\">Some paragraph text that makes the page as long as a real one, " + std::to_string(i) + ".</p>";
    return html + "</body></html>";
}

class LoopbackSite {
public:
    LoopbackSite()
    {
        for (const char *path : {"/index.html", "/search.html", "/results.html"}) {
            const std::string page = sitePage(path);
            m_server.Get(path, [page](const httplib::Request &request, httplib::Response &response) {
                // cpp-httplib would compress at brotli's slowest level: measure the browser, not that.
                const_cast<httplib::Request &>(request).headers.erase("Accept-Encoding");
                response.set_content(page, "text/html");
            });
        }
        m_server.set_tcp_nodelay(true); // no Nagle delay between headers and body
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
    }
    ~LoopbackSite()
    {
        m_server.stop();
        m_thread.join();
    }
    [[nodiscard]] QString url() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
};

void NavClinkFillClickbutton(benchmark::State &state)
{
    LoopbackSite site;
    SilentHost host;
    BuiltinBrowser browser;
    browser.startProgram();
    Automation automation(host, browser);
    automation.connection.attachBrowser();
    automation.runner.tickTimer().setInterval(0);
    const QString script = QStringLiteral("nav;%1/index.html\r\nclink;Search\r\nfill;q;lamp\r\nclickbutton;Go;true\r\nbeep")
                               .arg(site.url());
    for (auto _ : state) {
        automation.runner.runScript(script);
        while (automation.runner.status() != RunStatus::Stopped)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    state.counters["pages/s"] = benchmark::Counter(double(state.iterations()) * 3, benchmark::Counter::kIsRate);
}
BENCHMARK(NavClinkFillClickbutton)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
