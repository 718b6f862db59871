#include "ForwardProxy.h"

#include <QByteArray>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace {

// Every wait of the proxy's threads ends this often to see whether the proxy is going.
constexpr int PollMs = 50;
// A connection idle this long is closed.
constexpr auto IdleLimit = std::chrono::seconds(20);

int connectTo(const std::string &hostAndPort)
{
    // Only numeric loopback addresses: other hosts (a browser's own traffic) are not reached.
    const size_t colon = hostAndPort.rfind(':');
    const std::string port = colon == std::string::npos ? std::string() : hostAndPort.substr(colon + 1);
    if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos)
        return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(std::stoi(port)));
    if (inet_pton(AF_INET, hostAndPort.substr(0, colon).c_str(), &address.sin_addr) != 1)
        return -1;
    const int server = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (connect(server, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        close(server);
        return -1;
    }
    return server;
}

void sendAll(int socket, const std::string &bytes)
{
    for (size_t sent = 0; sent < bytes.size();) {
        const ssize_t written = send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (written <= 0)
            return;
        sent += static_cast<size_t>(written);
    }
}

} // namespace

ForwardProxy::ForwardProxy(const std::string &user, const std::string &password)
    : m_user(user)
    , m_password(password)
{
    m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address);
    listen(m_listener, 16);
    socklen_t length = sizeof address;
    getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_acceptor = std::thread([this] { acceptLoop(); });
}

ForwardProxy::~ForwardProxy()
{
    m_stop = true;
    m_acceptor.join();
    for (std::thread &connection : m_connections)
        connection.join();
    close(m_listener);
}

QString ForwardProxy::url(bool withCredentials) const
{
    const std::string credentials = withCredentials ? m_user + ":" + m_password + "@" : std::string();
    return QString::fromStdString("http://" + credentials + "127.0.0.1:" + std::to_string(m_port));
}

std::vector<std::string> ForwardProxy::requestLines() const
{
    const std::lock_guard lock(m_mutex);
    return m_lines;
}

void ForwardProxy::acceptLoop()
{
    while (!m_stop) {
        pollfd waiting{m_listener, POLLIN, 0};
        if (poll(&waiting, 1, PollMs) <= 0)
            continue;
        const int client = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client >= 0)
            m_connections.emplace_back([this, client] { serve(client); });
    }
}

// Reads request heads from the client until one may go on; a refused one is answered with 407
// and the connection kept for the next.
void ForwardProxy::serve(int client)
{
    std::string input;
    const auto start = std::chrono::steady_clock::now();
    char buffer[16384];
    while (!m_stop && std::chrono::steady_clock::now() - start < IdleLimit) {
        const size_t headEnd = input.find("\r\n\r\n");
        if (headEnd == std::string::npos) {
            pollfd waiting{client, POLLIN, 0};
            if (poll(&waiting, 1, PollMs) <= 0)
                continue;
            const ssize_t read = recv(client, buffer, sizeof buffer, 0);
            if (read <= 0)
                break;
            input.append(buffer, static_cast<size_t>(read));
            continue;
        }
        const std::string head = input.substr(0, headEnd + 4);
        input.erase(0, headEnd + 4);
        const std::string line = head.substr(0, head.find("\r\n"));
        {
            const std::lock_guard lock(m_mutex);
            m_lines.push_back(line);
        }
        if (!authorised(head)) {
            ++m_challenges;
            sendAll(client, "HTTP/1.1 407 Proxy Authentication Required\r\nProxy-Authenticate: Basic realm=\"test\"\r\n"
                            "Content-Length: 0\r\n\r\n");
            continue;
        }
        const size_t targetStart = line.find(' ') + 1;
        const std::string target = line.substr(targetStart, line.rfind(' ') - targetStart);
        if (line.rfind("CONNECT ", 0) == 0) {
            const int server = connectTo(target);
            sendAll(client, server < 0 ? "HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n"
                                       : "HTTP/1.1 200 Connection established\r\n\r\n");
            if (server >= 0)
                relay(client, server);
            break;
        }
        // http://host:port/path: the server gets the path, and the rest of the request as sent.
        const size_t authorityEnd = target.find('/', 7);
        const int server = connectTo(target.substr(7, authorityEnd - 7));
        if (server < 0)
            break;
        // One request to the server: it closes after its answer, and so does the proxy.
        std::string fields = head.substr(line.size(), head.size() - line.size() - 4);
        if (const size_t kept = fields.find("\r\nConnection: keep-alive"); kept != std::string::npos)
            fields.erase(kept, 24);
        sendAll(server, line.substr(0, targetStart) + target.substr(authorityEnd) + line.substr(line.rfind(' ')) + fields
                            + "\r\nConnection: close\r\n\r\n" + input);
        relay(client, server);
        break;
    }
    close(client);
}

bool ForwardProxy::authorised(const std::string &head) const
{
    if (m_user.empty())
        return true;
    const std::string expected = "Proxy-Authorization: Basic " + QByteArray::fromStdString(m_user + ":" + m_password).toBase64().toStdString();
    return head.find(expected + "\r\n") != std::string::npos;
}

// Bytes both ways until one side closes.
void ForwardProxy::relay(int client, int server) const
{
    char buffer[16384];
    auto idleSince = std::chrono::steady_clock::now();
    while (!m_stop && std::chrono::steady_clock::now() - idleSince < IdleLimit) {
        pollfd both[] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
        if (poll(both, 2, PollMs) <= 0)
            continue;
        idleSince = std::chrono::steady_clock::now();
        for (int from = 0; from < 2; ++from) {
            if (!(both[from].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t read = recv(both[from].fd, buffer, sizeof buffer, 0);
            if (read <= 0) {
                close(server);
                return;
            }
            sendAll(both[1 - from].fd, std::string(buffer, static_cast<size_t>(read)));
        }
    }
    close(server);
}
