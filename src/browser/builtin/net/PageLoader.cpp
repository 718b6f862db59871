#include "browser/builtin/net/PageLoader.h"

#include "browser/builtin/net/ContentDecoder.h"
#include "browser/builtin/net/HeaderReadGuard.h"
#include "browser/builtin/net/HttpReply.h"
#include "browser/builtin/net/NavigationAddress.h"
#include "browser/builtin/net/NetworkAccess.h"
#include "browser/builtin/net/Redirects.h"
#include "browser/builtin/net/RequestHeaders.h"
#include "browser/builtin/dom/UrlParsing.h"

#include <QNetworkAccessManager>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace {

// A reply reads ahead at most this much of a body, so that a fast server cannot fill memory
// faster than the body is taken and checked against its bound.
constexpr qint64 ReadAheadBytes = 1024 * 1024;

// Errors of the connection itself, as opposed to an HTTP status the server chose to send.
[[nodiscard]] bool isTransportError(QNetworkReply::NetworkError error)
{
    return (error > QNetworkReply::NoError && error < QNetworkReply::ProxyConnectionRefusedError)
        || error == QNetworkReply::ProtocolFailure;
}

[[nodiscard]] int httpStatusOf(const QNetworkReply &reply)
{
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    return status.isValid() ? status.toInt() : 0;
}

// Qt drops every header of a block of more than 100 lines: an answer without any is taken as
// such a block.
[[nodiscard]] bool headersWithinBounds(const QList<QNetworkReply::RawHeaderPair> &headers, const LoadLimits &limits)
{
    qint64 bytes = 0;
    for (const auto &[name, value] : headers)
        bytes += name.size() + value.size() + 4;
    return !headers.isEmpty() && headers.size() <= limits.maxHeaderFields && bytes <= limits.maxHeaderBytes;
}

[[nodiscard]] LoadFailure headersTooLarge(const LoadLimits &limits)
{
    return {LoadFailureKind::HeadersTooLarge,
            QStringLiteral("%1 lines, %2 KB").arg(limits.maxHeaderFields).arg(limits.maxHeaderBytes / 1024)};
}

[[nodiscard]] LoadFailure timedOut(const LoadLimits &limits)
{
    return {LoadFailureKind::Timeout, QString::number(limits.transferTimeout.count() / 1000.0)};
}

// A file is opened by the user's or a script's own navigation, or from a page that is a file
// itself; pages from the web may not reach local files, as browsers refuse.
[[nodiscard]] bool mayOpenLocalFile(const NavigationRequest &request)
{
    return request.initiator.isEmpty() || addressKind(request.initiator) == AddressKind::File;
}

// Plain HTTP goes over the engine's own connections. An address with credentials goes through
// the manager, which answers a server's challenge with them in whichever scheme it asks for. The
// manager builds its request-target from a QUrl: an address whose written escapes QUrl would
// decode goes over an own connection whatever its scheme.
[[nodiscard]] bool goesOverOwnConnection(const NavigationRequest &request)
{
    if (addressKind(request.url) != AddressKind::Network)
        return false;
    return !request.wireTarget.isEmpty() || (request.url.scheme() == QLatin1String("http") && request.url.userInfo().isEmpty());
}

[[nodiscard]] QByteArray requestTarget(const NavigationRequest &request)
{
    if (!request.wireTarget.isEmpty())
        return request.wireTarget;
    const QByteArray target = request.url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
    return target.isEmpty() ? QByteArrayLiteral("/") : target;
}

} // namespace

PageLoader::PageLoader(NetworkAccess &network, const LoadLimits &limits, NavigationRequest request)
    : m_network(network)
    , m_limits(limits)
{
    m_response.request = std::move(request);
    m_headerDeadline.setSingleShot(true);
    connect(&m_headerDeadline, &QTimer::timeout, this, [this] { fail(timedOut(m_limits)); });
}

PageLoader::~PageLoader()
{
    cancel();
}

void PageLoader::start()
{
    switch (addressKind(m_response.request.url)) {
    case AddressKind::Network:
    case AddressKind::Data: send(m_response.request); return;
    case AddressKind::File:
        if (mayOpenLocalFile(m_response.request)) {
            readFile();
            return;
        }
        // Refused as a browser refuses it: nothing is loaded and the page stays.
        m_response.keepsDocument = true;
        break;
    case AddressKind::Blank: m_response.contentType = "text/html"; break;
    case AddressKind::Script: m_response.keepsDocument = true; break;
    case AddressKind::Unsupported: m_response.failure = LoadFailure{LoadFailureKind::UnsupportedAddress, {}}; break;
    case AddressKind::Invalid: m_response.failure = LoadFailure{LoadFailureKind::InvalidAddress, {}}; break;
    }
    finishLater();
}

void PageLoader::startFailed(const LoadFailure &failure)
{
    m_response.failure = failure;
    finishLater();
}

void PageLoader::startWithoutRequest()
{
    finishLater();
}

void PageLoader::cancel()
{
    m_done = true;
    if (m_fileRead)
        m_fileRead->disconnect(this);
    releaseReply();
}

// Reading a file may wait on the disk: it is read on a worker thread, and the loader hears of
// it from the event loop.
void PageLoader::readFile()
{
    m_fileRead = new QFutureWatcher<LocalFileContent>(this);
    connect(m_fileRead, &QFutureWatcherBase::finished, this, &PageLoader::onFileRead);
    m_fileRead->setFuture(QtConcurrent::run(readRegularFile, m_response.request.url.toLocalFile(), m_limits.maxBodyBytes));
}

void PageLoader::onFileRead()
{
    LocalFileContent content = m_fileRead->future().takeResult();
    if (content.failure) {
        fail(*content.failure);
        return;
    }
    m_response.body = std::move(content.bytes);
    finish();
}

void PageLoader::send(const NavigationRequest &request)
{
    m_response.request = request;
    m_response.body.clear();
    m_decoder.reset();
    m_encrypted = false;
    const QNetworkRequest network = networkRequestFor(request, m_limits);
    m_awaitsHeaders = addressKind(request.url) == AddressKind::Network;
    if (goesOverOwnConnection(request))
        m_reply = sendOverOwnConnection(network, request);
    else
        m_reply = sendThroughManager(network, request);
    m_reply->setReadBufferSize(ReadAheadBytes);
    connect(m_reply, &QNetworkReply::requestSent, this, [this] {
        if (m_awaitsHeaders)
            m_headerDeadline.start(m_limits.transferTimeout);
        emit requestSent();
    });
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &PageLoader::onHeaders);
    connect(m_reply, &QNetworkReply::readyRead, this, [this] { (void)readArrived(); });
    connect(m_reply, &QNetworkReply::finished, this, &PageLoader::onReplyFinished);
    connect(m_reply, &QNetworkReply::encrypted, this, [this] { m_encrypted = true; });
}

QNetworkReply *PageLoader::sendOverOwnConnection(const QNetworkRequest &network, const NavigationRequest &request)
{
    auto *reply = new HttpReply(network, request.method, request.body, requestTarget(request),
                                &m_network.cookies(), &m_network.connections(), m_limits);
    connect(reply, &HttpReply::headersTooLarge, this, [this] { fail(headersTooLarge(m_limits)); });
    return reply;
}

QNetworkReply *PageLoader::sendThroughManager(const QNetworkRequest &network, const NavigationRequest &request)
{
    if (addressKind(request.url) == AddressKind::Network) {
        m_headerGuard = std::make_unique<HeaderReadGuard>(request.url, m_limits.maxHeaderBytes);
        connect(m_headerGuard.get(), &HeaderReadGuard::tripped, this, [this] { fail(headersTooLarge(m_limits)); });
    }
    QNetworkAccessManager &manager = m_network.manager();
    if (request.method == "GET")
        return manager.get(network);
    if (request.method == "POST")
        return manager.post(network, request.body);
    return manager.sendCustomRequest(network, request.method, request.body);
}

void PageLoader::onHeaders()
{
    if (!m_awaitsHeaders)
        return;
    m_awaitsHeaders = false;
    const bool boundedByItsReader = !m_headerGuard;
    releaseHeaderGuard();
    if (!boundedByItsReader && !headersWithinBounds(m_reply->rawHeaderPairs(), m_limits)) {
        fail(headersTooLarge(m_limits));
        return;
    }
    m_decoder = ContentDecoder::forEncoding(m_reply->rawHeader("Content-Encoding"));
    // A body of known length is read into one buffer of its size, or not at all past the bound.
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (!length.isValid() || m_decoder)
        return;
    if (length.toLongLong() > m_limits.maxBodyBytes)
        takeAnswer(httpStatusOf(*m_reply), Body::PastBound);
    else
        m_response.body.reserve(std::max<qint64>(length.toLongLong(), 0));
}

bool PageLoader::readArrived()
{
    if (!m_reply->isOpen() || m_reply->bytesAvailable() <= 0)
        return false;
    Body body = Body::Whole;
    if (!m_decoder) {
        body = readPlainBody();
    } else {
        switch (m_decoder->decode(m_reply->readAll(), m_response.body, m_limits.maxBodyBytes)) {
        case ContentDecoder::Result::Decoded: break;
        case ContentDecoder::Result::PastBound: body = Body::PastBound; break;
        case ContentDecoder::Result::Broken: body = Body::Undecodable; break;
        }
    }
    if (body == Body::Whole)
        return false;
    takeAnswer(httpStatusOf(*m_reply), body);
    return true;
}

PageLoader::Body PageLoader::readPlainBody()
{
    const qint64 arrived = m_reply->bytesAvailable();
    const qsizetype held = m_response.body.size();
    if (held + arrived > m_limits.maxBodyBytes)
        return Body::PastBound;
    if (m_response.body.capacity() < held + arrived)
        m_response.body.reserve(std::min<qint64>(std::max<qint64>(2 * m_response.body.capacity(), held + arrived),
                                                 m_limits.maxBodyBytes));
    m_response.body.resize(held + arrived);
    const qint64 read = m_reply->read(m_response.body.data() + held, arrived);
    m_response.body.resize(held + std::max<qint64>(read, 0));
    return Body::Whole;
}

void PageLoader::onReplyFinished()
{
    if (readArrived())
        return;
    const int httpStatus = httpStatusOf(*m_reply);
    const QNetworkReply::NetworkError error = m_reply->error();
    const bool answered = httpStatus > 0 || error == QNetworkReply::NoError;
    // A transport error after the headers still shows what arrived, as browsers show a cut page.
    if (!answered || (isTransportError(error) && m_response.body.isEmpty()))
        fail(transportFailure(error));
    else
        takeAnswer(httpStatus);
}

void PageLoader::takeAnswer(int httpStatus, Body body)
{
    const QByteArray location = m_reply->rawHeader("Location");
    if (isRedirectStatus(httpStatus) && !location.isEmpty()) {
        followRedirect(httpStatus, location);
        return;
    }
    if (body == Body::PastBound) {
        fail(bodyTooLarge(m_limits.maxBodyBytes));
        return;
    }
    if (body == Body::Undecodable) {
        fail({LoadFailureKind::InvalidResponse, {}});
        return;
    }
    m_response.httpStatus = httpStatus;
    m_response.contentType = m_reply->rawHeader("Content-Type");
    m_response.keepsDocument = httpStatus == 204 || httpStatus == 205;
    m_response.noStore = m_reply->rawHeader("Cache-Control").toLower().contains("no-store");
    finish();
}

void PageLoader::followRedirect(int httpStatus, const QByteArray &location)
{
    // The Location is read against the address as it was sent, escapes as written.
    const auto current = dom::Url::parse(dom::writtenUrl(m_response.request.url, m_response.request.wireTarget));
    const auto target = current ? dom::Url::parse(QString::fromUtf8(location), &*current) : std::nullopt;
    releaseReply();
    if (++m_redirects > m_limits.maxRedirects) {
        fail({LoadFailureKind::TooManyRedirects, QString::number(m_limits.maxRedirects)});
        return;
    }
    // A page may not send the browser to local files or other schemes by a redirect.
    const QUrl targetUrl = target ? dom::toQUrl(*target) : QUrl();
    if (addressKind(targetUrl) != AddressKind::Network) {
        fail({LoadFailureKind::RedirectRefused, targetUrl.toDisplayString()});
        return;
    }
    send(redirectedRequest(m_response.request, httpStatus, *target));
}

LoadFailure PageLoader::transportFailure(QNetworkReply::NetworkError error) const
{
    const QString words = m_reply->errorString();
    switch (error) {
    case QNetworkReply::ConnectionRefusedError: return {LoadFailureKind::ConnectionRefused, words};
    case QNetworkReply::HostNotFoundError: return {LoadFailureKind::HostNotFound, words};
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError: return timedOut(m_limits);
    case QNetworkReply::SslHandshakeFailedError: return {LoadFailureKind::SecureConnectionFailed, words};
    case QNetworkReply::ContentNotFoundError: return {LoadFailureKind::FileNotFound, words};
    case QNetworkReply::ContentAccessDenied:
    case QNetworkReply::ContentOperationNotPermittedError: return {LoadFailureKind::FileUnreadable, words};
    default: break;
    }
    // Whatever breaks a secure connection before it is set up is a failed handshake to the user.
    if (m_response.request.url.scheme() == QLatin1String("https") && !m_encrypted && isTransportError(error))
        return {LoadFailureKind::SecureConnectionFailed, words};
    if (error == QNetworkReply::RemoteHostClosedError)
        return {LoadFailureKind::ConnectionClosed, words};
    if (error == QNetworkReply::ProtocolFailure)
        return {LoadFailureKind::InvalidResponse, words};
    return {LoadFailureKind::Other, words};
}

void PageLoader::fail(const LoadFailure &failure)
{
    m_response.failure = failure;
    finish();
}

void PageLoader::finish()
{
    releaseReply();
    if (m_done)
        return;
    m_done = true;
    emit finished();
}

void PageLoader::finishLater()
{
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_done)
                return;
            m_done = true;
            emit finished();
        },
        Qt::QueuedConnection);
}

// The guard may be the one reporting: it goes from the event loop.
void PageLoader::releaseHeaderGuard()
{
    m_headerDeadline.stop();
    if (!m_headerGuard)
        return;
    m_headerGuard->stop();
    m_headerGuard->disconnect(this);
    m_headerGuard.release()->deleteLater();
}

void PageLoader::releaseReply()
{
    releaseHeaderGuard();
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    if (reply->isRunning())
        reply->abort();
    reply->deleteLater();
}
