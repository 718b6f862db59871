#pragma once

#include <httplib.h>

#include <QString>

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// An HTTP server on 127.0.0.1 for tests, on its own thread, that records every request.
class TestServer {
public:
    struct Request {
        std::string method;
        std::string path;  // without the query
        std::string query; // the raw query text after "?", empty when none
        std::string body;
        std::multimap<std::string, std::string> headers; // names as sent

        [[nodiscard]] std::string header(const std::string &name) const;
        [[nodiscard]] std::string target() const { return query.empty() ? path : path + "?" + query; }
    };
    using Handler = std::function<void(const httplib::Request &, httplib::Response &)>;

    TestServer();
    ~TestServer();
    TestServer(const TestServer &) = delete;
    TestServer &operator=(const TestServer &) = delete;

    [[nodiscard]] int port() const { return m_port; }
    // "http://127.0.0.1:PORT" followed by the path.
    [[nodiscard]] QString url(const std::string &path = "/") const;

    // Serves a fixed body at the path for every method.
    void page(const std::string &path, const std::string &body,
              const std::string &contentType = "text/html; charset=utf-8");
    // Serves the path (a regular expression, as cpp-httplib takes it) with a handler.
    void handle(const std::string &method, const std::string &pattern, Handler handler);

    [[nodiscard]] std::vector<Request> requests() const;
    // The recorded requests other than those for /favicon.ico.
    [[nodiscard]] std::vector<Request> pageRequests() const;
    void clearRequests();

private:
    void record(const httplib::Request &request);

    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
    mutable std::mutex m_mutex;
    std::vector<Request> m_requests;
};
