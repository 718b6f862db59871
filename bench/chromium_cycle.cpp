// How long the Chromium backend takes for the steps of a script over loopback HTTP: a
// navigation to a complete page, a field filled and a form submitted by a click until the
// answer is complete, and the links of a page read one by one; and how long a Chromium that
// NavRelay starts takes to show its first page, bare and through the runner's attach.
#include "SilentHost.h"
#include "browser/BrowserConnection.h"
#include "browser/chromium/ChromiumBrowser.h"
#include "browser/chromium/ChromiumLauncher.h"
#include "engine/RunState.h"
#include "page/Document.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>

namespace {

constexpr int kLinks = 100;
constexpr int kWaitLimitMs = 30000;

QByteArray pageFor(const QByteArray &path)
{
    if (path.startsWith("/form"))
        return "<html><body><form action=\"/done\" method=\"post\"><input name=\"q\" value=\"\">"
               "<input type=\"submit\" name=\"go\" value=\"Go\"></form></body></html>";
    if (path.startsWith("/links")) {
        QByteArray page = "<html><body>";
        for (int link = 0; link < kLinks; ++link)
            page += "<p><a href=\"/item/" + QByteArray::number(link) + "\">Item " + QByteArray::number(link) + "</a></p>";
        return page + "</body></html>";
    }
    return "<html><body>done</body></html>";
}

// A loopback HTTP server that answers every request, body included, with a page for its path.
class LoopbackSite {
public:
    LoopbackSite()
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] { answer(socket); });
        });
    }

    [[nodiscard]] QString url(const char *path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(QLatin1String(path));
    }

private:
    static void answer(QTcpSocket *socket)
    {
        QByteArray request = socket->property("request").toByteArray() + socket->readAll();
        const qsizetype headerEnd = request.indexOf("\r\n\r\n");
        if (headerEnd < 0) {
            socket->setProperty("request", request);
            return;
        }
        const qsizetype lengthAt = request.toLower().indexOf("content-length:");
        const qsizetype bodyLength = lengthAt < 0 ? 0 : request.mid(lengthAt + 15, request.indexOf("\r\n", lengthAt) - lengthAt - 15).trimmed().toLongLong();
        if (request.size() < headerEnd + 4 + bodyLength) {
            socket->setProperty("request", request);
            return;
        }
        socket->setProperty("request", QByteArray());
        const QByteArray body = pageFor(request.split(' ').value(1));
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + QByteArray::number(body.size())
                      + "\r\n\r\n" + body);
    }

    QTcpServer m_server;
};

// Counts the window's completed top-level documents.
class CompletionCounter : public BrowserEvents {
public:
    void navigationStarted(const QString &) override {}
    void documentCompleted(const QString &url) override { lastComplete = url; ++completed; }
    std::shared_ptr<BrowserWindow> newWindowRequested() override { return nullptr; }

    QString lastComplete;
    int completed = 0;
};

// Runs the event loop until the condition holds, looking every millisecond: the loop sleeps in
// between, leaving the processor to Chromium.
bool spinUntil(const std::function<bool()> &done)
{
    const QDeadlineTimer deadline(kWaitLimitMs);
    QEventLoop loop;
    QTimer look;
    look.setInterval(1);
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done() || deadline.hasExpired())
            loop.quit();
    });
    if (!done()) {
        look.start();
        loop.exec();
    }
    return done();
}

// A headless Chromium of the benchmark's own, closed at the end.
class BenchChromium {
public:
    BenchChromium()
    {
        m_browser = std::make_unique<ChromiumBrowser>(settingsIn(m_profile));
        m_browser->startProgram();
        spinUntil([this] { return !m_browser->windows().empty(); });
    }

    static ChromiumSettings settingsIn(const QTemporaryDir &profile)
    {
        ChromiumSettings settings;
        settings.profileFolder = profile.path();
        return settings;
    }

    [[nodiscard]] std::shared_ptr<BrowserWindow> window() const
    {
        const auto windows = m_browser->windows();
        return windows.empty() ? nullptr : windows.front();
    }

private:
    QTemporaryDir m_profile;
    std::unique_ptr<ChromiumBrowser> m_browser;
};

// The runner's attach pauses between its searches as it does in navrelay-run.
class PausingHost : public SilentHost {
public:
    void sleep(int milliseconds) override { QThread::msleep(static_cast<unsigned long>(milliseconds)); }
};

bool navigateAndWait(BrowserWindow &window, CompletionCounter &counter, const QString &url)
{
    const int before = counter.completed;
    window.navigate(url);
    return spinUntil([&] { return counter.completed > before && counter.lastComplete == url; });
}

void BM_ChromiumNavigate(benchmark::State &state)
{
    LoopbackSite site;
    BenchChromium chromium;
    const auto window = chromium.window();
    CompletionCounter counter;
    window->setEventSink(&counter);
    const QString url = site.url("/form");
    for (auto _ : state) {
        if (!navigateAndWait(*window, counter, url))
            state.SkipWithError("the page did not complete");
    }
    window->setEventSink(nullptr);
}
BENCHMARK(BM_ChromiumNavigate)->Unit(benchmark::kMillisecond);

void BM_ChromiumFillAndSubmit(benchmark::State &state)
{
    LoopbackSite site;
    BenchChromium chromium;
    const auto window = chromium.window();
    CompletionCounter counter;
    window->setEventSink(&counter);
    const QString form = site.url("/form");
    const QString done = site.url("/done");
    for (auto _ : state) {
        state.PauseTiming();
        const bool loaded = navigateAndWait(*window, counter, form);
        state.ResumeTiming();
        if (!loaded) {
            state.SkipWithError("the form did not complete");
            break;
        }
        const auto document = window->document();
        document->getElementsByName(QStringLiteral("q"))->setValue(QStringLiteral("benchmark"));
        const int before = counter.completed;
        document->getElementsByName(QStringLiteral("go"))->click();
        if (!spinUntil([&] { return counter.completed > before && counter.lastComplete == done; }))
            state.SkipWithError("the answer did not complete");
    }
    window->setEventSink(nullptr);
}
BENCHMARK(BM_ChromiumFillAndSubmit)->Unit(benchmark::kMillisecond);

void BM_ChromiumReadLinks(benchmark::State &state)
{
    LoopbackSite site;
    BenchChromium chromium;
    const auto window = chromium.window();
    CompletionCounter counter;
    window->setEventSink(&counter);
    if (!navigateAndWait(*window, counter, site.url("/links")))
        state.SkipWithError("the page did not complete");
    for (auto _ : state) {
        const auto links = window->document()->links();
        for (int index = 0; index < links->length(); ++index)
            benchmark::DoNotOptimize(links->item(index)->innerText());
    }
    state.SetItemsProcessed(state.iterations() * kLinks);
    window->setEventSink(nullptr);
}
BENCHMARK(BM_ChromiumReadLinks)->Unit(benchmark::kMillisecond);

// From the start of Chromium until its first page is listed, looking every millisecond.
void BM_ChromiumStartToFirstPage(benchmark::State &state)
{
    for (auto _ : state) {
        const QTemporaryDir profile;
        {
            ChromiumBrowser browser(BenchChromium::settingsIn(profile));
            browser.startProgram();
            if (!spinUntil([&] { return !browser.windows().empty(); }))
                state.SkipWithError("no page");
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ChromiumStartToFirstPage)->Unit(benchmark::kMillisecond)->Iterations(8)->UseRealTime();

// The runner's attach when it has to start Chromium, with its pause after the start.
void BM_ChromiumAttachStartingIt(benchmark::State &state)
{
    for (auto _ : state) {
        const QTemporaryDir profile;
        {
            ChromiumBrowser browser(BenchChromium::settingsIn(profile));
            PausingHost host;
            RunState runState;
            BrowserConnection connection(browser, host, runState, [] {});
            connection.attachBrowser();
            if (!connection.attachedWindow())
                state.SkipWithError("no page attached");
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ChromiumAttachStartingIt)->Unit(benchmark::kMillisecond)->Iterations(8)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (findChromiumProgram({}).isEmpty()) {
        fprintf(stderr, "no Chromium on PATH: nothing to measure\n");
        return 0;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
