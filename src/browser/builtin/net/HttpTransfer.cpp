#include "browser/builtin/net/HttpTransfer.h"

#include "browser/builtin/net/CurlLibrary.h"
#include "browser/builtin/net/HttpClient.h"

#include <algorithm>

#include <poll.h>

namespace {

// An exchange of challenges and credentials takes a few answers; more is a server that would
// start answers without end.
constexpr int MaxFinalHeaderBlocks = 8;

[[nodiscard]] QByteArrayView withoutLineEnd(QByteArrayView line)
{
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

[[nodiscard]] LoadFailure headersTooLarge(const LoadLimits &limits)
{
    return {LoadFailureKind::HeadersTooLarge, QStringLiteral("%1 lines, %2 KB").arg(limits.maxHeaderFields).arg(limits.maxHeaderBytes / 1024)};
}

[[nodiscard]] bool sameName(const QByteArray &name, QByteArrayView wanted)
{
    return QByteArrayView(name).compare(wanted, Qt::CaseInsensitive) == 0;
}

} // namespace

QByteArray HttpAnswer::header(QByteArrayView name) const
{
    return values(name).join(", ");
}

QList<QByteArray> HttpAnswer::values(QByteArrayView name) const
{
    QList<QByteArray> found;
    for (const auto &[fieldName, value] : headers) {
        if (sameName(fieldName, name))
            found.append(value);
    }
    return found;
}

HttpTransfer::HttpTransfer(HttpClient &client, const HttpRequest &request, const LoadLimits &limits, Receiver &receiver)
    : m_client(&client)
    , m_limits(limits)
    , m_receiver(receiver)
    , m_easy(curl().easyInit())
{
    setUp(request);
    m_idle.setSingleShot(true);
    m_idle.setInterval(m_limits.transferTimeout);
    m_headerDeadline.setSingleShot(true);
    m_headerDeadline.setInterval(m_limits.transferTimeout);
    const auto timedOut = [this] {
        stop({LoadFailureKind::Timeout, QString::number(m_limits.transferTimeout.count() / 1000.0)});
    };
    connect(&m_idle, &QTimer::timeout, this, timedOut);
    connect(&m_headerDeadline, &QTimer::timeout, this, timedOut);
}

HttpTransfer::~HttpTransfer()
{
    abandon();
    curl().easyCleanup(m_easy);
    curl().slistFreeAll(m_headerList);
}

void HttpTransfer::setUp(const HttpRequest &request)
{
    const QByteArray origin =
        request.url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment | QUrl::RemoveUserInfo).toEncoded();
    curl().easySetopt(m_easy, CURLOPT_URL, QByteArray(origin + request.target).constData());
    curl().easySetopt(m_easy, CURLOPT_REQUEST_TARGET, request.target.constData());
    curl().easySetopt(m_easy, CURLOPT_PATH_AS_IS, 1L);
    // Set even when empty: the environment's proxy is the settings' business, not curl's.
    curl().easySetopt(m_easy, CURLOPT_PROXY, request.proxy.constData());
    if (!request.proxy.isEmpty()) {
        curl().easySetopt(m_easy, CURLOPT_PROXYAUTH, CURLAUTH_ANY);
        // A proxy that forwards plain requests takes the whole address as their target.
        const bool forwarded = request.url.scheme() == QLatin1String("http")
            && (request.proxy.startsWith("http://") || request.proxy.startsWith("https://"));
        if (forwarded)
            curl().easySetopt(m_easy, CURLOPT_REQUEST_TARGET, QByteArray(origin + request.target).constData());
    }
    curl().easySetopt(m_easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl().easySetopt(m_easy, CURLOPT_NOSIGNAL, 1L);
    curl().easySetopt(m_easy, CURLOPT_PRIVATE, this);
    curl().easySetopt(m_easy, CURLOPT_ERRORBUFFER, m_error);
    curl().easySetopt(m_easy, CURLOPT_HEADERFUNCTION, &HttpTransfer::onHeader);
    curl().easySetopt(m_easy, CURLOPT_HEADERDATA, this);
    curl().easySetopt(m_easy, CURLOPT_WRITEFUNCTION, &HttpTransfer::onBody);
    curl().easySetopt(m_easy, CURLOPT_WRITEDATA, this);
    curl().easySetopt(m_easy, CURLOPT_PREREQFUNCTION, &HttpTransfer::onRequestReady);
    curl().easySetopt(m_easy, CURLOPT_PREREQDATA, this);
    m_client->watchSockets(m_easy);
    // The engine decodes bodies itself, within its bound.
    curl().easySetopt(m_easy, CURLOPT_HTTP_CONTENT_DECODING, 0L);
    curl().easySetopt(m_easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl().easySetopt(m_easy, CURLOPT_MAXAGE_CONN, static_cast<long>(HttpClient::MaxIdle.count()));
    curl().easySetopt(m_easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_2TLS));
    // The system's folder of authorities stays trusted beside the file.
    if (!request.authorities.isEmpty())
        curl().easySetopt(m_easy, CURLOPT_CAINFO, request.authorities.constData());
    if (!request.verifyCertificates) {
        curl().easySetopt(m_easy, CURLOPT_SSL_VERIFYPEER, 0L);
        curl().easySetopt(m_easy, CURLOPT_SSL_VERIFYHOST, 0L);
    }
    if (!request.url.userName().isEmpty()) {
        curl().easySetopt(m_easy, CURLOPT_USERNAME, request.url.userName(QUrl::FullyDecoded).toUtf8().constData());
        curl().easySetopt(m_easy, CURLOPT_PASSWORD, request.url.password(QUrl::FullyDecoded).toUtf8().constData());
        curl().easySetopt(m_easy, CURLOPT_HTTPAUTH, CURLAUTH_ANY);
    }
    if (request.method == "HEAD") {
        curl().easySetopt(m_easy, CURLOPT_NOBODY, 1L);
    } else if (request.method != "GET" || !request.body.isEmpty()) {
        curl().easySetopt(m_easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
        curl().easySetopt(m_easy, CURLOPT_COPYPOSTFIELDS, request.body.constData());
        if (request.method != "POST")
            curl().easySetopt(m_easy, CURLOPT_CUSTOMREQUEST, request.method.constData());
    }
    for (const auto &[name, value] : request.headers)
        m_headerList = curl().slistAppend(m_headerList, QByteArray(name + ": " + value).constData());
    // The body goes with the request, as browsers send it, without waiting for a 100 Continue.
    m_headerList = curl().slistAppend(m_headerList, "Expect:");
    curl().easySetopt(m_easy, CURLOPT_HTTPHEADER, m_headerList);
}

void HttpTransfer::start()
{
    m_idle.start();
    if (!m_client) {
        QMetaObject::invokeMethod(this, [this] { stop({LoadFailureKind::Other, {}}); }, Qt::QueuedConnection);
        return;
    }
    m_running = true;
    m_client->add(*this);
}

void HttpTransfer::abandon()
{
    m_idle.stop();
    m_headerDeadline.stop();
    if (std::exchange(m_running, false) && m_client)
        m_client->remove(*this);
}

size_t HttpTransfer::onHeader(char *data, size_t size, size_t count, void *transfer)
{
    const size_t length = size * count;
    return static_cast<HttpTransfer *>(transfer)->takeHeaderLine(QByteArrayView(data, static_cast<qsizetype>(length))) ? length : 0;
}

size_t HttpTransfer::onBody(char *data, size_t size, size_t count, void *transfer)
{
    auto &self = *static_cast<HttpTransfer *>(transfer);
    const size_t length = size * count;
    self.m_idle.start();
    self.m_bodyStarted = true;
    if (self.m_receiver.bodyArrived(QByteArrayView(data, static_cast<qsizetype>(length))))
        return length;
    self.m_stopped = true;
    return 0;
}

int HttpTransfer::onRequestReady(void *transfer, char *, char *, int, int localPort)
{
    auto &self = *static_cast<HttpTransfer *>(transfer);
    if (self.holdsUnreadBytes(localPort)) {
        self.m_staleConnection = true;
        return CURL_PREREQFUNC_ABORT;
    }
    self.m_idle.start();
    self.m_headerDeadline.start();
    if (!std::exchange(self.m_sent, true))
        QMetaObject::invokeMethod(&self, &HttpTransfer::requestSent, Qt::QueuedConnection);
    return CURL_PREREQFUNC_OK;
}

// A kept plain connection on which the server sent something unasked (or its end) would hand
// those bytes to this request as its answer.
bool HttpTransfer::holdsUnreadBytes(int localPort) const
{
    long opened = 0;
    curl().easyGetinfo(m_easy, CURLINFO_NUM_CONNECTS, &opened);
    const char *scheme = nullptr;
    curl().easyGetinfo(m_easy, CURLINFO_SCHEME, &scheme);
    if (opened > 0 || !m_client || !scheme || QByteArrayView(scheme).compare("http", Qt::CaseInsensitive) != 0)
        return false;
    const curl_socket_t socket = m_client->socketOnLocalPort(localPort);
    if (socket == CURL_SOCKET_BAD)
        return false;
    pollfd readable{socket, POLLIN, 0};
    return poll(&readable, 1, 0) > 0;
}

bool HttpTransfer::takeHeaderLine(QByteArrayView raw)
{
    m_idle.start();
    const QByteArrayView line = withoutLineEnd(raw);
    if (!m_inBlock && line.startsWith("HTTP/") && !m_bodyStarted)
        return takeStatusLine(line, raw.size());
    m_headerBytes += raw.size();
    if (m_inBlock && line.isEmpty())
        return headerBlockEnded();
    if (line.isEmpty())
        return true; // the end of the trailers
    if (++m_headerLines > m_limits.maxHeaderFields || m_headerBytes > m_limits.maxHeaderBytes)
        return refuse(headersTooLarge(m_limits));
    if (!m_inBlock)
        return true; // a trailer: counted, not read
    if (const qsizetype colon = line.indexOf(':'); colon > 0)
        m_answer.headers.append({line.first(colon).trimmed().toByteArray(), line.sliced(colon + 1).trimmed().toByteArray()});
    return true;
}

bool HttpTransfer::takeStatusLine(QByteArrayView line, qsizetype rawSize)
{
    // The answer to credentials sent on a challenge is bounded on its own; interim answers count
    // with the one they precede.
    if (std::exchange(m_answered, false)) {
        if (++m_finalBlocks > MaxFinalHeaderBlocks)
            return refuse({LoadFailureKind::InvalidResponse, QStringLiteral("%1 answers").arg(MaxFinalHeaderBlocks)});
        m_headerLines = 0;
        m_headerBytes = 0;
    }
    m_headerBytes += rawSize;
    m_answer = {};
    const QList<QByteArray> parts = line.toByteArray().split(' ');
    bool valid = false;
    m_answer.status = parts.value(1).toInt(&valid);
    if (!valid || m_answer.status < 100 || m_answer.status > 999)
        return refuse({LoadFailureKind::InvalidResponse, {}});
    // The engine never asks to switch protocols: such an answer ends the connection.
    if (m_answer.status == 101)
        return refuse({LoadFailureKind::InvalidResponse, QStringLiteral("101 Switching Protocols")});
    m_inBlock = true;
    return m_headerBytes <= m_limits.maxHeaderBytes || refuse(headersTooLarge(m_limits));
}

bool HttpTransfer::headerBlockEnded()
{
    m_inBlock = false;
    if (m_answer.status < 200) {
        m_answer.headers.clear();
        return true;
    }
    m_answered = true;
    m_headerDeadline.stop();
    const QList<QByteArray> lengths = m_answer.values("Content-Length");
    if (std::adjacent_find(lengths.begin(), lengths.end(), std::not_equal_to<>()) != lengths.end())
        return refuse({LoadFailureKind::InvalidResponse, QStringLiteral("conflicting Content-Length")});
    // Where the answer's end is in doubt, so is the start of what would follow on its connection.
    if (lengths.size() > 1 || (!lengths.isEmpty() && !m_answer.values("Transfer-Encoding").isEmpty()))
        curl().easySetopt(m_easy, CURLOPT_FORBID_REUSE, 1L);
    if (m_receiver.headersArrived(m_answer))
        return true;
    m_stopped = true;
    return false;
}

bool HttpTransfer::refuse(LoadFailure failure)
{
    m_failure = std::move(failure);
    return false;
}

void HttpTransfer::stop(const LoadFailure &failure)
{
    m_failure = failure;
    abandon();
    emit finished();
}

void HttpTransfer::ended(CURLcode result)
{
    m_running = false;
    // Sent again on a connection of its own; the one it found goes, as it did not end cleanly.
    if (std::exchange(m_staleConnection, false)) {
        curl().easySetopt(m_easy, CURLOPT_FRESH_CONNECT, 1L);
        start();
        return;
    }
    m_idle.stop();
    m_headerDeadline.stop();
    if (!m_failure && result != CURLE_OK && !m_stopped)
        m_failure = failureOf(result);
    emit finished();
}

LoadFailure HttpTransfer::failureOf(CURLcode result) const
{
    const QString words = QString::fromUtf8(m_error[0] ? m_error : curl().easyStrerror(result));
    switch (result) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return {LoadFailureKind::HostNotFound, words};
    case CURLE_COULDNT_CONNECT: return {LoadFailureKind::ConnectionRefused, words};
    case CURLE_OPERATION_TIMEDOUT: return {LoadFailureKind::Timeout, words};
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CRL_BADFILE: return {LoadFailureKind::SecureConnectionFailed, words};
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM: return {LoadFailureKind::InvalidResponse, words};
    default: break;
    }
    // Whatever breaks a secure connection before it is set up is a failed handshake to the user.
    curl_off_t secured = 0;
    curl().easyGetinfo(m_easy, CURLINFO_APPCONNECT_TIME_T, &secured);
    const char *scheme = nullptr;
    curl().easyGetinfo(m_easy, CURLINFO_SCHEME, &scheme);
    if (secured == 0 && scheme && QByteArrayView(scheme).compare("https", Qt::CaseInsensitive) == 0)
        return {LoadFailureKind::SecureConnectionFailed, words};
    // Curl refuses a header line past its own bound before it is handed on.
    if (!m_answered && result == CURLE_OUT_OF_MEMORY)
        return {LoadFailureKind::HeadersTooLarge, words};
    // A malformed answer, a broken chunk included, is no cut connection: nothing of it is shown.
    if (result == CURLE_WEIRD_SERVER_REPLY || (result == CURLE_RECV_ERROR && words.contains(QLatin1String("chunk"))))
        return {LoadFailureKind::InvalidResponse, words};
    switch (result) {
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_UNSUPPORTED_PROTOCOL: return {LoadFailureKind::ConnectionClosed, words};
    default: return {LoadFailureKind::Other, words};
    }
}
