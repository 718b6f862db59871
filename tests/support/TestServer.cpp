#include "TestServer.h"

#include <algorithm>

std::string TestServer::Request::header(const std::string &name) const
{
    for (const auto &[key, value] : headers) {
        if (std::equal(key.begin(), key.end(), name.begin(), name.end(),
                       [](char a, char b) { return std::tolower(a) == std::tolower(b); }))
            return value;
    }
    return {};
}

namespace {

// A part's header as browsers write it, so that tests can look for it in the recorded body.
std::string multipartPartHeader(const httplib::MultipartFormData &part)
{
    std::string header = "\r\nContent-Disposition: form-data; name=\"" + part.name + "\"";
    if (!part.filename.empty() || !part.content_type.empty())
        header += "; filename=\"" + part.filename + "\"";
    if (!part.content_type.empty())
        header += "\r\nContent-Type: " + part.content_type;
    return header + "\r\n\r\n";
}

} // namespace

TestServer::TestServer()
{
    // Requests are recorded before their answer leaves: by the handlers, and here the ones no
    // handler serves.
    m_server.set_error_handler([this](const httplib::Request &request, httplib::Response &response) {
        if (response.status == 404)
            record(request);
    });
    m_server.set_keep_alive_max_count(1000);
    m_server.set_tcp_nodelay(true); // no Nagle delay between headers and body
    m_port = m_server.bind_to_any_port("127.0.0.1");
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    while (!m_server.is_running())
        std::this_thread::yield();
}

TestServer::~TestServer()
{
    m_server.stop();
    m_thread.join();
}

QString TestServer::url(const std::string &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(QString::fromStdString(path));
}

void TestServer::page(const std::string &path, const std::string &body, const std::string &contentType)
{
    const Handler serve = [body, contentType](const httplib::Request &, httplib::Response &response) {
        response.set_content(body, contentType);
    };
    handle("GET", path, serve);
    handle("POST", path, serve);
}

void TestServer::handle(const std::string &method, const std::string &pattern, Handler handler)
{
    const Handler recorded = [this, handler = std::move(handler)](const httplib::Request &request,
                                                                  httplib::Response &response) {
        record(request);
        // cpp-httplib would compress answers at brotli's slowest level, some 100 ms a page.
        const_cast<httplib::Request &>(request).headers.erase("Accept-Encoding");
        handler(request, response);
    };
    // cpp-httplib keeps no body for multipart requests: read the body ourselves.
    const httplib::Server::HandlerWithContentReader readingBody =
        [recorded](const httplib::Request &request, httplib::Response &response,
                   const httplib::ContentReader &readContent) {
            httplib::Request withBody = request;
            const auto append = [&](const char *data, size_t length) {
                withBody.body.append(data, length);
                return true;
            };
            if (request.is_multipart_form_data()) {
                readContent([&](const httplib::MultipartFormData &part) {
                    withBody.body += multipartPartHeader(part);
                    return true;
                }, append);
                withBody.body += "\r\n";
            } else {
                readContent(append);
            }
            recorded(withBody, response);
        };
    if (method == "GET")
        m_server.Get(pattern, recorded);
    else if (method == "POST")
        m_server.Post(pattern, readingBody);
    else if (method == "PUT")
        m_server.Put(pattern, recorded);
    else
        m_server.Delete(pattern, recorded);
}

void TestServer::record(const httplib::Request &request)
{
    Request recorded;
    recorded.method = request.method;
    // The raw target, as the client sent it, not cpp-httplib's decoded path.
    const auto question = request.target.find('?');
    recorded.path = request.target.substr(0, question);
    if (question != std::string::npos)
        recorded.query = request.target.substr(question + 1);
    recorded.body = request.body;
    for (const auto &[name, value] : request.headers)
        recorded.headers.emplace(name, value);
    const std::lock_guard lock(m_mutex);
    m_requests.push_back(std::move(recorded));
}

std::vector<TestServer::Request> TestServer::requests() const
{
    const std::lock_guard lock(m_mutex);
    return m_requests;
}

std::vector<TestServer::Request> TestServer::pageRequests() const
{
    auto all = requests();
    std::erase_if(all, [](const Request &request) { return request.path == "/favicon.ico"; });
    return all;
}

void TestServer::clearRequests()
{
    const std::lock_guard lock(m_mutex);
    m_requests.clear();
}
