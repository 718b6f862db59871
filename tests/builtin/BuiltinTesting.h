#pragma once

#include "engine/BrowserWindow.h"

#include <QByteArray>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <utility>

// A TCP server on 127.0.0.1 in the test's own event loop that answers every whole request
// with the same raw bytes (malformed answers included), or not at all, and keeps the raw
// bytes it was sent.
class RawServer {
public:
    // OnSecondRequest: a connection answers one request and is closed on the next, as a server
    // whose keep-alive time ran out closes it.
    enum class Close { AfterAnswer, Never, OnSecondRequest };

    explicit RawServer(QByteArray answer, Close close = Close::AfterAnswer)
        : m_answer(std::move(answer))
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this, close] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                ++m_connections;
                QObject::connect(socket, &QTcpSocket::disconnected, socket, [this] { ++m_disconnections; });
                auto pending = std::make_shared<QByteArray>();
                auto answered = std::make_shared<bool>(false);
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, close, pending, answered] {
                    const QByteArray arrived = socket->readAll();
                    m_received += arrived;
                    *pending += arrived;
                    if (m_answer.isEmpty() || !isWholeRequest(*pending))
                        return;
                    pending->clear();
                    if (close == Close::OnSecondRequest && std::exchange(*answered, true)) {
                        socket->disconnectFromHost();
                        return;
                    }
                    socket->write(m_answer);
                    if (!m_more.isEmpty())
                        keepSending(socket);
                    else if (close == Close::AfterAnswer)
                        socket->disconnectFromHost();
                });
            }
        });
    }

    [[nodiscard]] QString url(const QString &path = QStringLiteral("/")) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
    }
    [[nodiscard]] quint16 port() const { return m_server.serverPort(); }
    // After the answer, sends `more` again and again without end: as fast as it is taken, or once
    // every `pause`.
    void repeatAfterAnswer(QByteArray more, std::chrono::milliseconds pause = {})
    {
        m_more = std::move(more);
        m_pause = pause;
    }
    // Every byte sent to the server, requests one after another.
    [[nodiscard]] const QByteArray &received() const { return m_received; }
    [[nodiscard]] int connections() const { return m_connections; }
    // Connections closed, by either side.
    [[nodiscard]] int disconnections() const { return m_disconnections; }

private:
    [[nodiscard]] static bool isWholeRequest(const QByteArray &request)
    {
        const qsizetype headerEnd = request.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return false;
        qsizetype length = 0;
        for (const QByteArray &line : request.left(headerEnd).split('\n')) {
            if (line.toLower().startsWith("content-length:"))
                length = line.mid(15).trimmed().toLongLong();
        }
        return request.size() >= headerEnd + 4 + length;
    }

    void keepSending(QTcpSocket *socket)
    {
        auto *timer = new QTimer(socket);
        QObject::connect(timer, &QTimer::timeout, socket, [this, socket] {
            if (socket->bytesToWrite() < 256 * 1024)
                socket->write(m_more);
        });
        timer->start(m_pause);
    }

    QByteArray m_answer;
    QByteArray m_more;
    std::chrono::milliseconds m_pause{};
    QByteArray m_received;
    int m_connections = 0;
    int m_disconnections = 0;
    QTcpServer m_server;
};

// Records the events of a window as text ("before URL", "complete URL", "newwindow"), and
// answers newWindowRequested with the window it is given.
class RecordingSink : public BrowserEvents {
public:
    void navigationStarted(const QString &url) override
    {
        events << QStringLiteral("before ") + url;
        if (onBefore)
            onBefore();
    }
    void documentCompleted(const QString &url) override { events << QStringLiteral("complete ") + url; }
    std::shared_ptr<BrowserWindow> newWindowRequested() override
    {
        events << QStringLiteral("newwindow");
        return newWindow;
    }

    [[nodiscard]] int completions() const { return events.filter(QStringLiteral("complete ")).size(); }

    QStringList events;
    std::shared_ptr<BrowserWindow> newWindow;
    std::function<void()> onBefore;
};
