#include "browser/builtin/net/HttpReply.h"

#include "browser/builtin/net/CookieJar.h"

#include <QSslSocket>

#include <algorithm>
#include <cstring>

namespace {

[[nodiscard]] QNetworkAccessManager::Operation operationOf(const QByteArray &method)
{
    if (method == "GET")
        return QNetworkAccessManager::GetOperation;
    if (method == "POST")
        return QNetworkAccessManager::PostOperation;
    if (method == "HEAD")
        return QNetworkAccessManager::HeadOperation;
    return QNetworkAccessManager::CustomOperation;
}

[[nodiscard]] QByteArray hostHeader(const QUrl &url)
{
    QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']';
    if (url.port() >= 0)
        host += ':' + QByteArray::number(url.port());
    return host;
}

// A header that comes more than once is one raw header to the reader, as the manager joins it.
void addHeader(QList<QPair<QByteArray, QByteArray>> &headers, const QByteArray &name, const QByteArray &value)
{
    const auto same = std::find_if(headers.begin(), headers.end(), [&name](const auto &header) {
        return header.first.compare(name, Qt::CaseInsensitive) == 0;
    });
    if (same == headers.end()) {
        headers.append({name, value});
        return;
    }
    same->second += (name.compare("set-cookie", Qt::CaseInsensitive) == 0 ? "\n" : ", ") + value;
}

[[nodiscard]] bool hasNoBody(const QByteArray &method, int status)
{
    return method == "HEAD" || status == 204 || status == 304 || (status >= 100 && status < 200);
}

[[nodiscard]] QNetworkReply::NetworkError replyErrorFor(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError: return QNetworkReply::ConnectionRefusedError;
    case QAbstractSocket::HostNotFoundError: return QNetworkReply::HostNotFoundError;
    case QAbstractSocket::SocketTimeoutError: return QNetworkReply::TimeoutError;
    case QAbstractSocket::SslHandshakeFailedError:
    case QAbstractSocket::SslInternalError:
    case QAbstractSocket::SslInvalidUserDataError: return QNetworkReply::SslHandshakeFailedError;
    default: return QNetworkReply::UnknownNetworkError;
    }
}

} // namespace

HttpReply::HttpReply(const QNetworkRequest &request, QByteArray method, QByteArray body, QByteArray target,
                     CookieJar *cookies, HttpConnectionPool *connections, const LoadLimits &limits)
    : m_method(std::move(method))
    , m_requestBody(std::move(body))
    , m_target(std::move(target))
    , m_cookies(cookies)
    , m_connections(request.url().scheme() == QLatin1String("http") ? connections : nullptr)
    , m_limits(limits)
{
    setRequest(request);
    setUrl(request.url());
    setOperation(operationOf(m_method));
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    m_idle.setSingleShot(true);
    m_idle.setInterval(m_limits.transferTimeout);
    connect(&m_idle, &QTimer::timeout, this, [this] { end(OperationCanceledError, QStringLiteral("Operation canceled")); });
    // Every outcome, a refused connection included, is told from the event loop.
    QMetaObject::invokeMethod(this, &HttpReply::connectToServer, Qt::QueuedConnection);
}

HttpReply::~HttpReply()
{
    if (m_socket)
        m_socket->disconnect(this);
}

void HttpReply::abort()
{
    end(OperationCanceledError, QStringLiteral("Operation canceled"));
    close();
}

qint64 HttpReply::bytesAvailable() const
{
    return m_output.size() + QNetworkReply::bytesAvailable();
}

void HttpReply::setReadBufferSize(qint64 size)
{
    QNetworkReply::setReadBufferSize(size);
    if (m_socket)
        m_socket->setReadBufferSize(size);
}

qint64 HttpReply::readData(char *data, qint64 maxSize)
{
    if (m_output.isEmpty())
        return m_stage == Stage::Done ? -1 : 0;
    const qint64 count = std::min<qint64>(maxSize, m_output.size());
    std::memcpy(data, m_output.constData(), static_cast<size_t>(count));
    m_output.remove(0, count);
    return count;
}

qint64 HttpReply::writeData(const char *, qint64)
{
    return -1;
}

void HttpReply::connectToServer()
{
    if (m_stage == Stage::Done)
        return;
    if (reuseKeptConnection())
        return;
    const QUrl address = url();
    const bool secure = address.scheme() == QLatin1String("https");
    if (secure) {
        auto socket = std::make_unique<QSslSocket>();
        connect(socket.get(), &QSslSocket::encrypted, this, [this] {
            emit encrypted();
            sendRequest();
        });
        m_socket = std::move(socket);
    } else {
        m_socket = std::make_unique<QTcpSocket>();
        connect(m_socket.get(), &QTcpSocket::connected, this, &HttpReply::sendRequest);
    }
    watchSocket();
    if (secure)
        static_cast<QSslSocket &>(*m_socket).connectToHostEncrypted(address.host(), static_cast<quint16>(address.port(443)));
    else
        m_socket->connectToHost(address.host(), static_cast<quint16>(address.port(80)));
}

bool HttpReply::reuseKeptConnection()
{
    if (!m_connections)
        return false;
    m_socket = m_connections->take(url());
    if (!m_socket)
        return false;
    m_reusedConnection = true;
    watchSocket();
    sendRequest();
    return true;
}

void HttpReply::watchSocket()
{
    m_socket->setReadBufferSize(readBufferSize());
    connect(m_socket.get(), &QTcpSocket::readyRead, this, &HttpReply::onReadyRead);
    connect(m_socket.get(), &QTcpSocket::bytesWritten, this, &HttpReply::onBytesWritten);
    connect(m_socket.get(), &QTcpSocket::disconnected, this, &HttpReply::onDisconnected);
    connect(m_socket.get(), &QTcpSocket::errorOccurred, this, &HttpReply::onSocketError);
    m_idle.start();
}

void HttpReply::sendRequest()
{
    if (m_stage != Stage::Connecting)
        return;
    m_idle.start();
    m_stage = Stage::StatusLine;
    const QByteArray head = requestHead();
    m_unsent = head.size() + m_requestBody.size();
    m_socket->write(head);
    m_socket->write(m_requestBody);
    // Out at once rather than when the event loop next finds the socket writable.
    m_socket->flush();
}

QByteArray HttpReply::requestHead() const
{
    QByteArray head = m_method + ' ' + m_target + " HTTP/1.1\r\nHost: " + hostHeader(url()) + "\r\n";
    for (const QByteArray &name : request().rawHeaderList())
        head += name + ": " + request().rawHeader(name) + "\r\n";
    if (const QByteArray cookies = m_cookies ? m_cookies->headerFor(url()) : QByteArray(); !cookies.isEmpty())
        head += "Cookie: " + cookies + "\r\n";
    if (!m_requestBody.isEmpty() || (m_method != "GET" && m_method != "HEAD"))
        head += "Content-Length: " + QByteArray::number(m_requestBody.size()) + "\r\n";
    return head + (m_connections ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n");
}

void HttpReply::onBytesWritten(qint64 bytes)
{
    m_idle.start();
    const bool wasUnsent = m_unsent > 0;
    m_unsent -= bytes;
    if (wasUnsent && m_unsent <= 0)
        emit requestSent();
}

void HttpReply::onReadyRead()
{
    m_idle.start();
    // In one piece of the size that arrived: readAll grows its result chunk by chunk.
    m_input += m_socket->read(m_socket->bytesAvailable());
    (void)parse();
}

void HttpReply::onDisconnected()
{
    if (m_stage == Stage::Done || retryOnNewConnection())
        return;
    m_input += m_socket->readAll();
    if (!parse())
        return;
    if (m_stage == Stage::Body && m_remaining < 0)
        end();
    else
        end(RemoteHostClosedError, QStringLiteral("Connection closed"));
}

void HttpReply::onSocketError()
{
    if (m_stage == Stage::Done)
        return;
    if (retryOnNewConnection())
        return;
    const QAbstractSocket::SocketError error = m_socket->error();
    if (error == QAbstractSocket::RemoteHostClosedError) {
        onDisconnected();
        return;
    }
    end(replyErrorFor(error), m_socket->errorString());
}

bool HttpReply::retryOnNewConnection()
{
    const bool answered = m_stage != Stage::StatusLine || !m_input.isEmpty() || m_socket->bytesAvailable() > 0;
    if (!m_reusedConnection || answered)
        return false;
    m_reusedConnection = false;
    m_socket->disconnect(this);
    m_socket.release()->deleteLater(); // it is the sender of the signal being handled
    m_stage = Stage::Connecting;
    connectToServer();
    return true;
}

bool HttpReply::parse()
{
    while (m_stage != Stage::Done) {
        if (m_stage == Stage::Body || m_stage == Stage::ChunkData) {
            if (m_input.isEmpty())
                return true;
            takeBody(m_remaining < 0 ? m_input.size() : std::min<qint64>(m_remaining, m_input.size()));
            continue;
        }
        const std::optional<QByteArray> line = takeLine();
        if (!line) {
            const bool inHeaders = m_stage == Stage::StatusLine || m_stage == Stage::Headers;
            if (inHeaders && m_headerBytes + m_input.size() > m_limits.maxHeaderBytes)
                endHeadersTooLarge();
            return m_stage != Stage::Done;
        }
        parseLine(*line);
    }
    return false;
}

void HttpReply::parseLine(const QByteArray &line)
{
    switch (m_stage) {
    case Stage::StatusLine:
        if (!parseStatusLine(line))
            end(RemoteHostClosedError, QStringLiteral("Connection closed"));
        break;
    case Stage::Headers:
        if (!parseHeaderLine(line))
            endHeadersTooLarge();
        break;
    case Stage::ChunkSize: {
        bool valid = false;
        m_remaining = line.split(';').constFirst().trimmed().toLongLong(&valid, 16);
        if (!valid || m_remaining < 0)
            end(ProtocolFailure, QStringLiteral("Invalid chunk size"));
        else
            m_stage = m_remaining == 0 ? Stage::Trailers : Stage::ChunkData;
        break;
    }
    case Stage::ChunkEnd: m_stage = Stage::ChunkSize; break;
    case Stage::Trailers:
        if (line.isEmpty())
            end();
        break;
    default: break;
    }
}

void HttpReply::endHeadersTooLarge()
{
    emit headersTooLarge();
    end(ProtocolFailure, QStringLiteral("Header block too large"));
}

bool HttpReply::parseStatusLine(const QByteArray &line)
{
    if (!line.startsWith("HTTP/1."))
        return false;
    const QList<QByteArray> parts = line.split(' ');
    bool valid = false;
    m_status = parts.value(1).toInt(&valid);
    if (!valid)
        return false;
    setAttribute(QNetworkRequest::HttpStatusCodeAttribute, m_status);
    setAttribute(QNetworkRequest::HttpReasonPhraseAttribute, parts.mid(2).join(' '));
    m_keepsConnection = line.startsWith("HTTP/1.1");
    m_stage = Stage::Headers;
    return true;
}

bool HttpReply::parseHeaderLine(const QByteArray &line)
{
    if (line.isEmpty()) {
        headersEnded();
        return true;
    }
    m_headerBytes += line.size() + 2;
    if (const qsizetype colon = line.indexOf(':'); colon > 0)
        m_headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
    return m_headerBytes <= m_limits.maxHeaderBytes && m_headers.size() <= m_limits.maxHeaderFields;
}

void HttpReply::headersEnded()
{
    // An interim answer (100 Continue) is followed by the real one.
    if (m_status >= 100 && m_status < 200 && m_status != 101) {
        m_headers.clear();
        m_headerBytes = 0;
        m_stage = Stage::StatusLine;
        return;
    }
    QList<QPair<QByteArray, QByteArray>> joined;
    for (const auto &[name, value] : std::as_const(m_headers))
        addHeader(joined, name, value);
    for (const auto &[name, value] : std::as_const(joined))
        setRawHeader(name, value);
    storeCookies();
    const bool chunked = rawHeader("Transfer-Encoding").toLower().contains("chunked");
    bool knownLength = false;
    const qint64 length = rawHeader("Content-Length").trimmed().toLongLong(&knownLength);
    const bool noBody = hasNoBody(m_method, m_status);
    if (chunked && !noBody) {
        m_stage = Stage::ChunkSize;
    } else {
        m_stage = Stage::Body;
        m_remaining = noBody ? 0 : (knownLength && length >= 0 ? length : -1);
    }
    const bool endsWithTheConnection = m_stage == Stage::Body && m_remaining < 0;
    m_keepsConnection = m_keepsConnection && !endsWithTheConnection && !rawHeader("Connection").toLower().contains("close");
    emit metaDataChanged();
    if (m_stage == Stage::Body && m_remaining == 0)
        end();
}

void HttpReply::storeCookies()
{
    if (!m_cookies)
        return;
    for (const auto &[name, value] : std::as_const(m_headers)) {
        if (name.compare("set-cookie", Qt::CaseInsensitive) == 0)
            m_cookies->store(value, url());
    }
}

void HttpReply::takeBody(qsizetype length)
{
    if (length == m_input.size() && m_output.isEmpty()) {
        m_output.swap(m_input); // all that arrived is body: handed on without a copy
    } else {
        m_output += QByteArrayView(m_input).first(length);
        m_input.remove(0, length);
    }
    if (m_remaining >= 0)
        m_remaining -= length;
    if (length > 0)
        emit readyRead();
    // The reader may have ended the exchange.
    if (m_stage == Stage::Done || m_remaining != 0)
        return;
    if (m_stage == Stage::ChunkData)
        m_stage = Stage::ChunkEnd;
    else
        end();
}

std::optional<QByteArray> HttpReply::takeLine()
{
    const qsizetype newline = m_input.indexOf('\n');
    if (newline < 0)
        return std::nullopt;
    QByteArray line = m_input.left(newline);
    m_input.remove(0, newline + 1);
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

void HttpReply::end(NetworkError error, const QString &words)
{
    if (m_stage == Stage::Done)
        return;
    m_stage = Stage::Done;
    m_idle.stop();
    releaseSocket(error == NoError);
    if (error != NoError) {
        setError(error, words);
        emit errorOccurred(error);
    }
    setFinished(true);
    emit finished();
}

// A connection whose exchange completed, with nothing more from the server, serves the next one.
void HttpReply::releaseSocket(bool completed)
{
    if (!m_socket)
        return;
    m_socket->disconnect(this);
    if (completed && m_keepsConnection && m_connections && m_input.isEmpty() && m_socket->bytesAvailable() == 0
        && m_socket->state() == QAbstractSocket::ConnectedState) {
        m_connections->keep(url(), std::move(m_socket));
        return;
    }
    m_socket->abort();
}
