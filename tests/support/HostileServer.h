#pragma once

#include <atomic>
#include <string>
#include <thread>

#include <QString>

// A server on 127.0.0.1 that answers every request with a status line and then header lines
// without end, as fast as the client takes them, until it is destroyed.
class HeaderFloodServer {
public:
    HeaderFloodServer();
    ~HeaderFloodServer();
    HeaderFloodServer(const HeaderFloodServer &) = delete;
    HeaderFloodServer &operator=(const HeaderFloodServer &) = delete;

    [[nodiscard]] QString url() const;

private:
    void serve();
    void flood(int connection);

    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping = false;
    std::thread m_thread;
};

// `size` zero bytes in the given Content-Encoding ("gzip", "deflate" or "br"): a few hundred
// kilobytes or less for any size, a decompression bomb.
[[nodiscard]] std::string compressedZeros(const std::string &encoding, size_t size);
