// How long the built-in browser takes from Navigate to a built document, how fast its loader
// reads a body over loopback HTTP, and what an answer it keeps saves on loading it again.
#include "browser/builtin/BuiltinBrowser.h"
#include "browser/builtin/BuiltinWindow.h"
#include "browser/builtin/net/NetworkAccess.h"
#include "browser/builtin/net/PageLoader.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <functional>

namespace {

QByteArray samplePage(qsizetype bytes)
{
    QByteArray page = "<!DOCTYPE html><html><head><title>Sample</title></head><body><form action=\"/f\">";
    for (int row = 0; page.size() < bytes; ++row)
        page += "<p class=\"row\">Row " + QByteArray::number(row) + " <a href=\"/item/" + QByteArray::number(row)
            + "\">item</a> <input name=\"f" + QByteArray::number(row) + "\" value=\"x\"></p>\n";
    return page + "</form></body></html>";
}

void spinUntil(const std::function<bool()> &done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
}

// Loads the request and gives the size of the body it brought.
qsizetype loadOnce(NetworkAccess &network, const NavigationRequest &request)
{
    PageLoader loader(network, LoadLimits{}, request);
    bool finished = false;
    QObject::connect(&loader, &PageLoader::finished, [&] { finished = true; });
    loader.start();
    spinUntil([&] { return finished; });
    return loader.response().body.size();
}

void BM_NavigateToFilePage(benchmark::State &state)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("page.html")));
    if (!file.open(QIODevice::WriteOnly))
        state.SkipWithError("cannot write the sample page");
    file.write(samplePage(state.range(0) * 1024));
    file.close();
    const QString url = QUrl::fromLocalFile(file.fileName()).toString();
    BuiltinBrowser browser;
    const auto window = browser.openWindow();
    for (auto _ : state) {
        window->navigate(url);
        spinUntil([&] { return !window->isBusy(); });
    }
    state.SetBytesProcessed(state.iterations() * file.size());
}
BENCHMARK(BM_NavigateToFilePage)->Arg(100)->Arg(1024)->Unit(benchmark::kMillisecond);

void BM_LoadOverLoopback(benchmark::State &state)
{
    const QByteArray body(state.range(0) * 1024, 'x');
    const QByteArray answer = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: "
        + QByteArray::number(body.size()) + "\r\n\r\n" + body;
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        while (QTcpSocket *socket = server.nextPendingConnection())
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, &answer] {
                socket->readAll();
                socket->write(answer);
            });
    });
    NetworkAccess network;
    NavigationRequest request;
    request.url = QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(server.serverPort()));
    for (auto _ : state)
        benchmark::DoNotOptimize(loadOnce(network, request));
    state.SetBytesProcessed(state.iterations() * body.size());
}
BENCHMARK(BM_LoadOverLoopback)->Arg(64)->Arg(8192)->Unit(benchmark::kMillisecond);

// A 256 KB answer loaded again: 0 may not be kept (fetched whole), 1 has an ETag (asked about,
// answered 304), 2 is fresh (no request).
void BM_LoadKeptAnswer(benchmark::State &state)
{
    const QByteArray body(256 * 1024, 'x');
    const QByteArray cacheField[] = {"Cache-Control: no-store", "ETag: \"1\"", "Cache-Control: max-age=3600"};
    const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: text/css\r\n" + cacheField[state.range(0)] + "\r\n";
    const QByteArray whole = head + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
    const QByteArray unchanged = "HTTP/1.1 304 Not Modified\r\n" + cacheField[state.range(0)] + "\r\n\r\n";
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    int requests = 0;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        while (QTcpSocket *socket = server.nextPendingConnection())
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [&, socket] {
                ++requests;
                socket->write(socket->readAll().contains("If-None-Match") ? unchanged : whole);
            });
    });
    NetworkAccess network;
    NavigationRequest request;
    request.url = QUrl(QStringLiteral("http://127.0.0.1:%1/s.css").arg(server.serverPort()));
    for (auto _ : state)
        benchmark::DoNotOptimize(loadOnce(network, request));
    state.counters["requests"] = benchmark::Counter(requests, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_LoadKeptAnswer)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

} // namespace
