#pragma once

#include <QString>
#include <QUrl>

#include <memory>
#include <optional>
#include <vector>

class QNetworkAccessManager;

// Where a browser's DevTools endpoint listens.
struct DevToolsAddress {
    static constexpr int kDefaultPort = 9222;

    QString host = QStringLiteral("127.0.0.1");
    int port = kDefaultPort;

    // "HOST:PORT", "HOST" or ":PORT"; nullopt for a port that is not 1 to 65535.
    [[nodiscard]] static std::optional<DevToolsAddress> parse(const QString &text);
    [[nodiscard]] QUrl httpUrl(const QString &path) const;

    friend bool operator==(const DevToolsAddress &, const DevToolsAddress &) = default;
};

// A target the endpoint lists.
struct DevToolsTarget {
    QString id;
    QString type; // "page" for a tab or window showing a page
    QString title;
    QString url;
};

// The endpoint's HTTP side: its version answer and its list of targets. Each request waits in
// a nested event loop for at most kRequestTimeoutMs.
class DevToolsEndpoint {
public:
    // The endpoint is on this machine or near it: an answer that takes longer is no answer.
    static constexpr int kRequestTimeoutMs = 3000;

    explicit DevToolsEndpoint(DevToolsAddress address);
    ~DevToolsEndpoint();

    [[nodiscard]] const DevToolsAddress &address() const { return m_address; }

    // The browser-level WebSocket address, or nullopt when the endpoint does not answer.
    [[nodiscard]] std::optional<QUrl> browserSocketUrl();
    // Every target in the endpoint's order, or nullopt when it does not answer.
    [[nodiscard]] std::optional<std::vector<DevToolsTarget>> targets();

private:
    [[nodiscard]] std::optional<QByteArray> get(const QString &path);

    DevToolsAddress m_address;
    std::unique_ptr<QNetworkAccessManager> m_network;
};

// Whether a DevTools endpoint answers at that address.
[[nodiscard]] bool devToolsEndpointAnswers(const DevToolsAddress &address);
