#include "browser/builtin/net/HttpConnectionPool.h"

#include <QTcpSocket>
#include <QUrl>

#include <algorithm>

namespace {

[[nodiscard]] QString serverOf(const QUrl &address)
{
    return address.scheme() + QLatin1String("://") + address.host() + QLatin1Char(':') + QString::number(address.port(80));
}

// The socket may be the sender of the signal being handled.
void discard(std::unique_ptr<QTcpSocket> socket)
{
    socket->abort();
    socket.release()->deleteLater();
}

} // namespace

HttpConnectionPool::HttpConnectionPool(QObject *parent)
    : QObject(parent)
{
}

HttpConnectionPool::~HttpConnectionPool()
{
    for (const Idle &idle : m_idle)
        idle.socket->disconnect(this);
}

std::unique_ptr<QTcpSocket> HttpConnectionPool::take(const QUrl &address)
{
    const QString server = serverOf(address);
    // The newest first: the server is least likely to have closed it meanwhile.
    for (auto idle = m_idle.rbegin(); idle != m_idle.rend(); ++idle) {
        if (idle->server != server || idle->since.hasExpired(MaxIdleMs)
            || idle->socket->state() != QAbstractSocket::ConnectedState)
            continue;
        std::unique_ptr<QTcpSocket> socket = std::move(idle->socket);
        m_idle.erase(std::next(idle).base());
        socket->disconnect(this);
        return socket;
    }
    return nullptr;
}

void HttpConnectionPool::keep(const QUrl &address, std::unique_ptr<QTcpSocket> socket)
{
    const QString server = serverOf(address);
    for (auto idle = m_idle.begin(); idle != m_idle.end();) {
        if (!idle->since.hasExpired(MaxIdleMs)) {
            ++idle;
            continue;
        }
        idle->socket->disconnect(this);
        discard(std::move(idle->socket));
        idle = m_idle.erase(idle);
    }
    if (std::count_if(m_idle.begin(), m_idle.end(), [&server](const Idle &idle) { return idle.server == server; })
        >= MaxIdlePerServer) {
        discard(std::move(socket));
        return;
    }
    // Anything the server sends now is no answer to anything: the connection is of no further use.
    const QTcpSocket *kept = socket.get();
    connect(kept, &QTcpSocket::disconnected, this, [this, kept] { drop(kept); });
    connect(kept, &QTcpSocket::readyRead, this, [this, kept] { drop(kept); });
    m_idle.push_back({server, std::move(socket), {}});
    m_idle.back().since.start();
}

void HttpConnectionPool::drop(const QTcpSocket *socket)
{
    const auto found = std::find_if(m_idle.begin(), m_idle.end(), [socket](const Idle &idle) { return idle.socket.get() == socket; });
    if (found == m_idle.end())
        return;
    found->socket->disconnect(this);
    discard(std::move(found->socket));
    m_idle.erase(found);
}
