#pragma once

#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

class DevToolsTransport;
class QNetworkAccessManager;

// Where a browser that the user started with a debugging port listens for DevTools clients.
struct DevToolsAddress {
    static constexpr int kDefaultPort = 9222;

    QString host = QStringLiteral("127.0.0.1");
    int port = kDefaultPort;
    QUrl socketUrl; // the browser's own WebSocket address when the user named it; else asked of HOST:PORT

    // "HOST:PORT", "HOST", ":PORT" or a browser's "ws://HOST:PORT/devtools/browser/..." address;
    // nullopt for a port that is not 1 to 65535 or a WebSocket address without a host.
    [[nodiscard]] static std::optional<DevToolsAddress> parse(const QString &text);
    [[nodiscard]] QUrl httpUrl(const QString &path) const;
    // "HOST:PORT", as messages name the endpoint.
    [[nodiscard]] QString displayText() const;

    friend bool operator==(const DevToolsAddress &, const DevToolsAddress &) = default;
};

// A browser's DevTools endpoint on a port: its HTTP side tells the address of its WebSocket.
// Each request waits in a nested event loop for at most kRequestTimeoutMs.
class DevToolsEndpoint {
public:
    // The endpoint is on this machine or near it: an answer that takes longer is no answer.
    static constexpr int kRequestTimeoutMs = 3000;

    explicit DevToolsEndpoint(DevToolsAddress address);
    ~DevToolsEndpoint();

    // A connection to the browser, or null when it does not answer.
    [[nodiscard]] std::unique_ptr<DevToolsTransport> open();

private:
    // The browser-level WebSocket address, or nullopt when the endpoint does not answer.
    [[nodiscard]] std::optional<QUrl> browserSocketUrl();

    DevToolsAddress m_address;
    std::unique_ptr<QNetworkAccessManager> m_network;
};
