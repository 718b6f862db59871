#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A forward HTTP proxy on 127.0.0.1 for tests, on threads of its own: plain requests in absolute
// form are sent on to their server (one per connection), CONNECT opens a tunnel. With credentials
// it asks for them by Basic authentication first. It keeps each request line it was sent.
class ForwardProxy {
public:
    explicit ForwardProxy(const std::string &user = {}, const std::string &password = {});
    ~ForwardProxy();
    ForwardProxy(const ForwardProxy &) = delete;
    ForwardProxy &operator=(const ForwardProxy &) = delete;

    // "http://127.0.0.1:PORT", with the credentials it asks for when `withCredentials`.
    [[nodiscard]] QString url(bool withCredentials = false) const;
    [[nodiscard]] std::vector<std::string> requestLines() const;
    // Requests turned away for want of credentials.
    [[nodiscard]] int challenges() const { return m_challenges; }

private:
    void acceptLoop();
    void serve(int client);
    [[nodiscard]] bool authorised(const std::string &head) const;
    void relay(int client, int server) const;

    std::string m_user;
    std::string m_password;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop = false;
    std::atomic<int> m_challenges = 0;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
    std::vector<std::thread> m_connections;
    std::thread m_acceptor;
};
