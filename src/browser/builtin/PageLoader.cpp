#include "browser/builtin/PageLoader.h"

#include "browser/builtin/NavigationAddress.h"
#include "browser/builtin/Redirects.h"
#include "browser/builtin/RequestHeaders.h"

#include <QNetworkAccessManager>

namespace {

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

} // namespace

PageLoader::PageLoader(QNetworkAccessManager &network, const LoadLimits &limits, NavigationRequest request)
    : m_network(network)
    , m_limits(limits)
{
    m_response.request = std::move(request);
}

PageLoader::~PageLoader()
{
    cancel();
}

void PageLoader::start()
{
    switch (addressKind(m_response.request.url)) {
    case AddressKind::Network:
    case AddressKind::File:
    case AddressKind::Data: send(m_response.request); return;
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
    releaseReply();
}

void PageLoader::send(const NavigationRequest &request)
{
    m_response.request = request;
    m_response.body.clear();
    m_response.truncated = false;
    m_encrypted = false;
    const QNetworkRequest network = networkRequestFor(request, m_limits);
    if (request.method == "GET")
        m_reply = m_network.get(network);
    else if (request.method == "POST")
        m_reply = m_network.post(network, request.body);
    else
        m_reply = m_network.sendCustomRequest(network, request.method, request.body);
    connect(m_reply, &QNetworkReply::readyRead, this, [this] { (void)readArrived(); });
    connect(m_reply, &QNetworkReply::finished, this, &PageLoader::onReplyFinished);
    connect(m_reply, &QNetworkReply::encrypted, this, [this] { m_encrypted = true; });
}

bool PageLoader::readArrived()
{
    if (!m_reply->isOpen())
        return false;
    const qint64 room = m_limits.maxBodyBytes - m_response.body.size();
    if (room > 0)
        m_response.body += m_reply->read(room);
    if (m_reply->bytesAvailable() == 0)
        return false;
    m_response.truncated = true;
    takeAnswer(httpStatusOf(*m_reply));
    return true;
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

void PageLoader::takeAnswer(int httpStatus)
{
    const QByteArray location = m_reply->rawHeader("Location");
    if (isRedirectStatus(httpStatus) && !location.isEmpty()) {
        followRedirect(httpStatus, location);
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
    const QUrl current = m_response.request.url;
    const QUrl target = normalizedAddress(current.resolved(QUrl(QString::fromUtf8(location))));
    releaseReply();
    if (++m_redirects > m_limits.maxRedirects) {
        fail({LoadFailureKind::TooManyRedirects, QString::number(m_limits.maxRedirects)});
        return;
    }
    // A page may not send the browser to local files or other schemes by a redirect.
    if (addressKind(target) != AddressKind::Network) {
        fail({LoadFailureKind::RedirectRefused, target.toDisplayString()});
        return;
    }
    send(redirectedRequest(m_response.request, httpStatus, target));
}

LoadFailure PageLoader::transportFailure(QNetworkReply::NetworkError error) const
{
    const QString words = m_reply->errorString();
    switch (error) {
    case QNetworkReply::ConnectionRefusedError: return {LoadFailureKind::ConnectionRefused, words};
    case QNetworkReply::HostNotFoundError: return {LoadFailureKind::HostNotFound, words};
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        return {LoadFailureKind::Timeout, QString::number(m_limits.transferTimeout.count() / 1000.0)};
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

void PageLoader::releaseReply()
{
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    if (reply->isRunning())
        reply->abort();
    reply->deleteLater();
}
