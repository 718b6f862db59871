#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <curl/curl.h>

#include <chrono>
#include <map>
#include <memory>
#include <set>

class HttpTransfer;

// Runs the engine's HTTP transfers on libcurl's multi interface, driven by the thread's own event
// loop: curl names the sockets and the time it waits for, socket notifiers and a timer call it
// back, so no thread of its own and no polling. Connections stay open for the next transfer to
// the same server, none longer than MaxIdle after its last answer.
class HttpClient final : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::seconds MaxIdle{30};

    // Tests narrow the idle time to reach it quickly.
    explicit HttpClient(std::chrono::milliseconds maxIdle = MaxIdle);
    ~HttpClient() override;
    HttpClient(const HttpClient &) = delete;
    HttpClient &operator=(const HttpClient &) = delete;

    // Starts a transfer whose handle it has set up; the client tells it ended() when it ends.
    void add(HttpTransfer &transfer);
    // Takes a transfer's handle out, ended or not. Never from inside one of curl's callbacks.
    void remove(HttpTransfer &transfer);
    // Has the client open and close the handle's sockets, so that it knows them.
    void watchSockets(CURL *easy);
    // The open connection whose local end is on this port, or CURL_SOCKET_BAD.
    [[nodiscard]] curl_socket_t socketOnLocalPort(int port) const;

private:
    class SocketWatch;

    static int onSocket(CURL *easy, curl_socket_t socket, int what, void *client, void *socketData);
    static int onTimer(CURLM *multi, long timeoutMs, void *client);
    static curl_socket_t openSocket(void *client, curlsocktype purpose, curl_sockaddr *address);
    static int closeSocket(void *client, curl_socket_t socket);
    void watch(curl_socket_t socket, int what);
    void act(curl_socket_t socket, int events);
    void takeEnded();
    void openMulti();
    void closeMulti();

    CURLM *m_multi = nullptr;
    QTimer m_timer;     // curl's own timeouts
    QTimer m_idleTimer; // no transfer for MaxIdle: the kept connections are closed
    std::set<HttpTransfer *> m_transfers;
    std::map<curl_socket_t, std::unique_ptr<SocketWatch>> m_watches;
    std::set<curl_socket_t> m_sockets; // every socket curl has open
};
