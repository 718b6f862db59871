#include "browser/builtin/net/HttpClient.h"

#include "browser/builtin/net/CurlLibrary.h"
#include "browser/builtin/net/HttpTransfer.h"

#include <QSocketNotifier>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Connections kept for reuse, over all servers.
constexpr long MaxKeptConnections = 32;

} // namespace

// The notifiers of one socket curl waits on.
class HttpClient::SocketWatch {
public:
    SocketWatch(curl_socket_t socket, HttpClient &client)
        : m_read(new QSocketNotifier(socket, QSocketNotifier::Read))
        , m_write(new QSocketNotifier(socket, QSocketNotifier::Write))
    {
        QObject::connect(m_read, &QSocketNotifier::activated, &client, [&client, socket] { client.act(socket, CURL_CSELECT_IN); });
        QObject::connect(m_write, &QSocketNotifier::activated, &client, [&client, socket] { client.act(socket, CURL_CSELECT_OUT); });
    }
    // Curl may drop a socket while one of its notifiers reports: they go from the event loop.
    ~SocketWatch()
    {
        for (QSocketNotifier *notifier : {m_read, m_write}) {
            notifier->setEnabled(false);
            notifier->disconnect();
            notifier->deleteLater();
        }
    }
    SocketWatch(const SocketWatch &) = delete;
    SocketWatch &operator=(const SocketWatch &) = delete;

    void waitFor(int what)
    {
        m_read->setEnabled(what == CURL_POLL_IN || what == CURL_POLL_INOUT);
        m_write->setEnabled(what == CURL_POLL_OUT || what == CURL_POLL_INOUT);
    }

private:
    QSocketNotifier *m_read;
    QSocketNotifier *m_write;
};

HttpClient::HttpClient(std::chrono::milliseconds maxIdle)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { act(CURL_SOCKET_TIMEOUT, 0); });
    m_idleTimer.setSingleShot(true);
    m_idleTimer.setInterval(maxIdle);
    connect(&m_idleTimer, &QTimer::timeout, this, &HttpClient::closeMulti);
}

HttpClient::~HttpClient()
{
    for (HttpTransfer *transfer : std::set(m_transfers))
        remove(*transfer);
    closeMulti();
}

void HttpClient::add(HttpTransfer &transfer)
{
    if (!m_multi)
        openMulti();
    m_idleTimer.stop();
    m_transfers.insert(&transfer);
    curl().multiAddHandle(m_multi, transfer.handle());
}

void HttpClient::remove(HttpTransfer &transfer)
{
    if (m_transfers.erase(&transfer) == 0)
        return;
    curl().multiRemoveHandle(m_multi, transfer.handle());
    if (m_transfers.empty())
        m_idleTimer.start();
}

void HttpClient::watchSockets(CURL *easy)
{
    curl().easySetopt(easy, CURLOPT_OPENSOCKETFUNCTION, &HttpClient::openSocket);
    curl().easySetopt(easy, CURLOPT_OPENSOCKETDATA, this);
    curl().easySetopt(easy, CURLOPT_CLOSESOCKETFUNCTION, &HttpClient::closeSocket);
    curl().easySetopt(easy, CURLOPT_CLOSESOCKETDATA, this);
}

curl_socket_t HttpClient::socketOnLocalPort(int port) const
{
    for (const curl_socket_t socket : m_sockets) {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (getsockname(socket, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            continue;
        const in_port_t local = address.ss_family == AF_INET6 ? reinterpret_cast<const sockaddr_in6 &>(address).sin6_port
                                                              : reinterpret_cast<const sockaddr_in &>(address).sin_port;
        if (ntohs(local) == port)
            return socket;
    }
    return CURL_SOCKET_BAD;
}

curl_socket_t HttpClient::openSocket(void *client, curlsocktype, curl_sockaddr *address)
{
    const curl_socket_t opened = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    if (opened != CURL_SOCKET_BAD)
        static_cast<HttpClient *>(client)->m_sockets.insert(opened);
    return opened;
}

int HttpClient::closeSocket(void *client, curl_socket_t socket)
{
    static_cast<HttpClient *>(client)->m_sockets.erase(socket);
    return ::close(socket);
}

int HttpClient::onSocket(CURL *, curl_socket_t socket, int what, void *client, void *)
{
    static_cast<HttpClient *>(client)->watch(socket, what);
    return 0;
}

int HttpClient::onTimer(CURLM *, long timeoutMs, void *client)
{
    QTimer &timer = static_cast<HttpClient *>(client)->m_timer;
    if (timeoutMs < 0)
        timer.stop();
    else
        timer.start(static_cast<int>(timeoutMs));
    return 0;
}

void HttpClient::watch(curl_socket_t socket, int what)
{
    if (what == CURL_POLL_REMOVE) {
        m_watches.erase(socket);
        return;
    }
    std::unique_ptr<SocketWatch> &watch = m_watches[socket];
    if (!watch)
        watch = std::make_unique<SocketWatch>(socket, *this);
    watch->waitFor(what);
}

void HttpClient::act(curl_socket_t socket, int events)
{
    if (!m_multi)
        return;
    int running = 0;
    curl().multiSocketAction(m_multi, socket, events, &running);
    takeEnded();
}

// Each transfer hears of its end once curl is out of its own work, so that it may go at once.
void HttpClient::takeEnded()
{
    const QPointer<HttpClient> alive(this);
    int waiting = 0;
    while (alive && m_multi) {
        const CURLMsg *message = curl().multiInfoRead(m_multi, &waiting);
        if (!message)
            break;
        if (message->msg != CURLMSG_DONE)
            continue;
        const CURLcode result = message->data.result;
        HttpTransfer *transfer = nullptr;
        curl().easyGetinfo(message->easy_handle, CURLINFO_PRIVATE, &transfer);
        remove(*transfer);
        transfer->ended(result);
    }
}

void HttpClient::openMulti()
{
    m_multi = curl().multiInit();
    curl().multiSetopt(m_multi, CURLMOPT_SOCKETFUNCTION, &HttpClient::onSocket);
    curl().multiSetopt(m_multi, CURLMOPT_SOCKETDATA, this);
    curl().multiSetopt(m_multi, CURLMOPT_TIMERFUNCTION, &HttpClient::onTimer);
    curl().multiSetopt(m_multi, CURLMOPT_TIMERDATA, this);
    curl().multiSetopt(m_multi, CURLMOPT_MAXCONNECTS, MaxKeptConnections);
}

// Closes every kept connection; the next transfer opens the client again.
void HttpClient::closeMulti()
{
    if (!m_multi || !m_transfers.empty())
        return;
    curl().multiCleanup(m_multi);
    m_multi = nullptr;
    m_watches.clear();
    m_timer.stop();
}
