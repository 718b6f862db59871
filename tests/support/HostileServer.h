#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include <QString>

// A server on 127.0.0.1 that answers every request with a status line and then header lines
// without end until it is destroyed: as fast as the client takes them, or one per pause.
class EndlessHeaderServer {
public:
    explicit EndlessHeaderServer(std::chrono::milliseconds pause = {});
    ~EndlessHeaderServer();
    EndlessHeaderServer(const EndlessHeaderServer &) = delete;
    EndlessHeaderServer &operator=(const EndlessHeaderServer &) = delete;

    [[nodiscard]] QString url() const;

private:
    void serve();
    void flood(int connection);

    const std::chrono::milliseconds m_pause;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping = false;
    std::thread m_thread;
};

// `size` zero bytes in the given Content-Encoding ("gzip", "deflate" or "br"): a few hundred
// kilobytes or less for any size, a decompression bomb.
[[nodiscard]] std::string compressedZeros(const std::string &encoding, size_t size);
