#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class QTcpSocket;
class QUrl;

// Connections a finished HTTP/1.1 exchange left open, kept for the next request to the same
// server: a new connection per page costs a round trip and the server a new worker. A
// connection the server closes while it waits is dropped; one kept too long is not handed out.
class HttpConnectionPool final : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxIdlePerServer = 6;
    static constexpr qint64 MaxIdleMs = 30'000;

    explicit HttpConnectionPool(QObject *parent = nullptr);
    ~HttpConnectionPool() override;

    // An open connection to the address's server, or null when none waits.
    [[nodiscard]] std::unique_ptr<QTcpSocket> take(const QUrl &address);
    // Keeps a connected socket that has nothing left to read, with no receiver connected to it.
    void keep(const QUrl &address, std::unique_ptr<QTcpSocket> socket);

private:
    struct Idle {
        QString server;
        std::unique_ptr<QTcpSocket> socket;
        QElapsedTimer since;
    };
    void drop(const QTcpSocket *socket);

    std::vector<Idle> m_idle; // oldest first
};
