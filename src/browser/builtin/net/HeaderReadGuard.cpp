#include "browser/builtin/net/HeaderReadGuard.h"

#include <chrono>
#include <cstdlib>
#include <memory>
#include <utility>

#include <dirent.h>

#include <linux/sockios.h>
#include <linux/tcp.h>
#include <netinet/in.h>

#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>

namespace {

using namespace std::chrono_literals;

// Qt reads header bytes one by one, about a megabyte a second: a flood crosses 64 KB well
// within a few checks.
constexpr auto CheckInterval = 20ms;

[[nodiscard]] quint16 defaultPort(const QUrl &url)
{
    return static_cast<quint16>(url.port(url.scheme() == QLatin1String("https") ? 443 : 80));
}

[[nodiscard]] bool isTcpSocket(int fd)
{
    int protocol = 0;
    socklen_t length = sizeof protocol;
    return ::getsockopt(fd, SOL_SOCKET, SO_PROTOCOL, &protocol, &length) == 0 && protocol == IPPROTO_TCP;
}

} // namespace

HeaderReadGuard::Traffic HeaderReadGuard::trafficOf(int fd)
{
    tcp_info info {};
    socklen_t length = sizeof info;
    int waiting = 0;
    if (::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &length) != 0 || ::ioctl(fd, SIOCINQ, &waiting) != 0)
        return {};
    return {static_cast<qint64>(info.tcpi_bytes_received) - waiting, static_cast<qint64>(info.tcpi_bytes_acked)};
}

HeaderReadGuard::HeaderReadGuard(const QUrl &url, qint64 maxHeaderBytes, QObject *parent)
    : QObject(parent)
    , m_address(url.host())
    , m_port(defaultPort(url))
    , m_maxBytes(maxHeaderBytes)
{
    // A kept-alive connection has carried earlier answers: only what it carries from now counts.
    forEachConnection([this](const Connection &connection) { m_atStart[connection.inode] = connection.traffic; });
    m_timer.setInterval(CheckInterval);
    connect(&m_timer, &QTimer::timeout, this, &HeaderReadGuard::check);
    m_timer.start();
}

void HeaderReadGuard::stop()
{
    m_timer.stop();
}

template<typename Visit>
void HeaderReadGuard::forEachConnection(Visit visit) const
{
    const std::unique_ptr<DIR, int (*)(DIR *)> descriptors(::opendir("/proc/self/fd"), ::closedir);
    if (!descriptors)
        return;
    while (const dirent *entry = ::readdir(descriptors.get())) {
        const int fd = std::atoi(entry->d_name);
        struct stat status {};
        if (fd == ::dirfd(descriptors.get()) || ::fstat(fd, &status) != 0 || !S_ISSOCK(status.st_mode)
            || !isTcpSocket(fd))
            continue;
        sockaddr_storage peer {};
        socklen_t length = sizeof peer;
        if (::getpeername(fd, reinterpret_cast<sockaddr *>(&peer), &length) != 0)
            continue;
        const quint16 port = peer.ss_family == AF_INET6 ? ntohs(reinterpret_cast<const sockaddr_in6 &>(peer).sin6_port)
                                                        : ntohs(reinterpret_cast<const sockaddr_in &>(peer).sin_port);
        if (port != m_port)
            continue;
        const QHostAddress address(reinterpret_cast<const sockaddr *>(&peer));
        if (!m_address.isNull() && !address.isEqual(m_address, QHostAddress::TolerantConversion))
            continue;
        visit(Connection{fd, status.st_ino, trafficOf(fd)});
    }
}

void HeaderReadGuard::check()
{
    // The reader takes the body too once the headers have ended, and tells of their end through
    // the event loop: a bound crossed is acted on only when the next check still finds it, so
    // that the end of headers posted meanwhile is heard first and stops the guard.
    const bool confirming = std::exchange(m_crossedOnce, false);
    bool crossed = false;
    forEachConnection([&](const Connection &connection) {
        const auto found = m_atStart.find(connection.inode);
        const Traffic start = found == m_atStart.end() ? Traffic{} : found->second;
        // Only a connection that sent a request since the load began can carry its answer.
        const bool carriesThisLoad = connection.traffic.sent > start.sent;
        if (!carriesThisLoad || connection.traffic.consumed - start.consumed <= m_maxBytes)
            return;
        if (confirming)
            ::shutdown(connection.fd, SHUT_RDWR);
        crossed = true;
    });
    if (!crossed)
        return;
    if (!confirming) {
        m_crossedOnce = true;
        return;
    }
    stop();
    emit tripped();
}
