#include "HostileServer.h"

#include <httplib.h>

#include <cerrno>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

EndlessHeaderServer::EndlessHeaderServer(std::chrono::milliseconds pause)
    : m_pause(pause)
{
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address);
    ::listen(m_listener, 8);
    ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { serve(); });
}

EndlessHeaderServer::~EndlessHeaderServer()
{
    m_stopping = true;
    m_thread.join();
    ::close(m_listener);
}

QString EndlessHeaderServer::url() const
{
    return QStringLiteral("http://127.0.0.1:%1/").arg(m_port);
}

void EndlessHeaderServer::serve()
{
    while (!m_stopping) {
        pollfd waiting{m_listener, POLLIN, 0};
        if (::poll(&waiting, 1, 50) <= 0)
            continue;
        const int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            continue;
        flood(connection);
        ::close(connection);
    }
}

void EndlessHeaderServer::flood(int connection)
{
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && !m_stopping) {
        pollfd readable{connection, POLLIN, 0};
        if (::poll(&readable, 1, 50) <= 0)
            continue;
        const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0)
            return;
        request.append(buffer, static_cast<size_t>(got));
    }
    const std::string status = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n";
    ::send(connection, status.data(), status.size(), MSG_NOSIGNAL);
    std::string lines;
    for (int line = 0; lines.size() < (m_pause.count() > 0 ? 1u : 64u * 1024); ++line)
        lines += "X-Endless-" + std::to_string(line) + ": " + std::string(40, 'v') + "\r\n";
    while (!m_stopping) {
        pollfd writable{connection, POLLOUT, 0};
        if (::poll(&writable, 1, 50) <= 0)
            continue;
        if (::send(connection, lines.data(), lines.size(), MSG_NOSIGNAL | MSG_DONTWAIT) < 0 && errno != EAGAIN)
            return;
        std::this_thread::sleep_for(m_pause);
    }
}

namespace {

std::string zlibZeros(size_t size, int windowBits)
{
    z_stream stream {};
    deflateInit2(&stream, 9, Z_DEFLATED, windowBits, 9, Z_DEFAULT_STRATEGY);
    std::string zeros(1024 * 1024, '\0');
    std::string out;
    char buffer[64 * 1024];
    for (size_t done = 0; done < size; done += zeros.size()) {
        stream.next_in = reinterpret_cast<Bytef *>(zeros.data());
        stream.avail_in = static_cast<uInt>(zeros.size());
        const int flush = done + zeros.size() >= size ? Z_FINISH : Z_NO_FLUSH;
        do {
            stream.next_out = reinterpret_cast<Bytef *>(buffer);
            stream.avail_out = sizeof buffer;
            deflate(&stream, flush);
            out.append(buffer, sizeof buffer - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    return out;
}

std::string brotliZeros(size_t size)
{
    httplib::detail::brotli_compressor compressor;
    const std::string zeros(1024 * 1024, '\0');
    std::string out;
    for (size_t done = 0; done < size; done += zeros.size()) {
        compressor.compress(zeros.data(), zeros.size(), done + zeros.size() >= size, [&](const char *data, size_t length) {
            out.append(data, length);
            return true;
        });
    }
    return out;
}

} // namespace

std::string compressedZeros(const std::string &encoding, size_t size)
{
    if (encoding == "br")
        return brotliZeros(size);
    // zlib's window bits: 15 for the zlib format of "deflate", 16 more for gzip.
    return zlibZeros(size, encoding == "gzip" ? 15 + 16 : 15);
}
