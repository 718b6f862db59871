#pragma once

#include "browser/chromium/DevToolsTransport.h"

#include <QUrl>

#include <memory>

class QWebSocket;

// The DevTools messages of a browser that listens on a debugging port, over its WebSocket.
class WebSocketTransport final : public DevToolsTransport {
    Q_OBJECT

public:
    static constexpr int kOpenTimeoutMs = 5000;

    // The open connection, or null when none was made within kOpenTimeoutMs.
    [[nodiscard]] static std::unique_ptr<WebSocketTransport> open(const QUrl &url);
    ~WebSocketTransport() override;

    [[nodiscard]] bool isOpen() const override { return m_open; }
    void send(const QByteArray &message) override;

private:
    WebSocketTransport();
    void onDisconnected();

    std::unique_ptr<QWebSocket> m_socket;
    bool m_open = false;
};
