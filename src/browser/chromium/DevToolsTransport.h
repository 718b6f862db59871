#pragma once

#include <QByteArray>
#include <QObject>

// The channel that carries a DevTools connection's messages, one JSON text each, both ways.
class DevToolsTransport : public QObject {
    Q_OBJECT

public:
    ~DevToolsTransport() override;

    [[nodiscard]] virtual bool isOpen() const = 0;
    // Queues the message; does nothing once the channel is closed.
    virtual void send(const QByteArray &message) = 0;

signals:
    // In the order the browser sent them.
    void messageReceived(const QByteArray &message);
    // Once, when the browser's side goes away.
    void closed();
};
