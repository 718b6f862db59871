#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class DevToolsTransport;

// The answer to one DevTools command.
struct DevToolsReply {
    QJsonObject result;
    std::optional<QString> error; // the protocol's error message
    bool connectionLost = false;
};

// One connection to a browser's DevTools protocol, carrying the browser's own commands and, in
// flat mode, those of every attached target (told apart by session id), over a WebSocket or a
// pipe (see DevToolsTransport).
class DevToolsConnection : public QObject {
    Q_OBJECT

public:
    // A page that runs a long script holds the reply to a command sent to it this long at most.
    static constexpr int kCallTimeoutMs = 30000;

    using EventHandler = std::function<void(const QString &sessionId, const QString &method,
                                            const QJsonObject &params)>;
    using ReplyHandler = std::function<void(const DevToolsReply &reply)>;

    explicit DevToolsConnection(std::unique_ptr<DevToolsTransport> transport);
    ~DevToolsConnection() override;

    [[nodiscard]] bool isOpen() const { return m_open; }

    // Receives every event as it arrives. It must not wait for the browser: a WebSocket delivers
    // nothing more until it returns.
    void setEventHandler(EventHandler handler) { m_eventHandler = std::move(handler); }

    // Sends a command and waits for its reply in a nested event loop. Throws ScriptError: 462
    // when the connection is gone, drops or the reply does not come in time, and the browser's
    // own refusal otherwise (see ChromiumErrors.h).
    QJsonObject call(const QString &method, const QJsonObject &params = {},
                     const QString &sessionId = {});
    // Sends a command without waiting; the handler, when given, gets the reply. Does nothing
    // once the connection is closed.
    void post(const QString &method, const QJsonObject &params = {}, const QString &sessionId = {},
              ReplyHandler onReply = {});

signals:
    void disconnected();

private:
    qint64 send(const QString &method, const QJsonObject &params, const QString &sessionId,
                ReplyHandler onReply);
    void receive(const QByteArray &text);
    void onDisconnected();

    std::unique_ptr<DevToolsTransport> m_transport;
    bool m_open;
    qint64 m_nextId = 1;
    std::map<qint64, ReplyHandler> m_pending;
    EventHandler m_eventHandler;
};
