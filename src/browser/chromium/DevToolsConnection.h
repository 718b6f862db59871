#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class QWebSocket;

// The answer to one DevTools command.
struct DevToolsReply {
    QJsonObject result;
    std::optional<QString> error; // the protocol's error message
    bool connectionLost = false;
};

// One WebSocket connection to a DevTools endpoint, carrying the browser's own commands and, in
// flat mode, those of every attached target (told apart by session id).
class DevToolsConnection : public QObject {
    Q_OBJECT

public:
    // A page that runs a long script holds the reply to a command sent to it this long at most.
    static constexpr int kCallTimeoutMs = 30000;
    static constexpr int kOpenTimeoutMs = 5000;

    using EventHandler = std::function<void(const QString &sessionId, const QString &method,
                                            const QJsonObject &params)>;
    using ReplyHandler = std::function<void(const DevToolsReply &reply)>;

    DevToolsConnection();
    ~DevToolsConnection() override;

    // Opens the WebSocket; false when no connection was made within the time limit.
    [[nodiscard]] bool open(const QUrl &url);
    [[nodiscard]] bool isOpen() const { return m_open; }

    // Receives every event as it arrives. It must not wait for the browser: the socket delivers
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
    void receive(const QString &text);
    void onDisconnected();

    std::unique_ptr<QWebSocket> m_socket;
    bool m_open = false;
    qint64 m_nextId = 1;
    std::map<qint64, ReplyHandler> m_pending;
    EventHandler m_eventHandler;
};
