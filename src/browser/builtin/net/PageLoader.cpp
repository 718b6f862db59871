#include "browser/builtin/net/PageLoader.h"

#include "browser/builtin/net/ContentDecoder.h"
#include "browser/builtin/net/DataAddress.h"
#include "browser/builtin/net/NavigationAddress.h"
#include "browser/builtin/net/NetworkAccess.h"
#include "browser/builtin/net/Redirects.h"
#include "browser/builtin/net/RequestHeaders.h"
#include "browser/builtin/dom/UrlParsing.h"

#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <utility>

namespace {

// A file is opened by the user's or a script's own navigation, or from a page that is a file
// itself; pages from the web may not reach local files, as browsers refuse.
[[nodiscard]] bool mayOpenLocalFile(const NavigationRequest &request)
{
    return request.initiator.isEmpty() || addressKind(request.initiator) == AddressKind::File;
}

// A failure of the answer itself, as opposed to a connection that ended early: what arrived
// before it is not shown.
[[nodiscard]] bool refusesTheAnswer(const LoadFailure &failure)
{
    return failure.kind == LoadFailureKind::HeadersTooLarge || failure.kind == LoadFailureKind::InvalidResponse;
}

} // namespace

PageLoader::PageLoader(NetworkAccess &network, const LoadLimits &limits, NavigationRequest request, CacheUse cacheUse)
    : m_network(network)
    , m_limits(limits)
    , m_cacheUse(cacheUse)
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
    case AddressKind::Network: send(m_response.request); return;
    case AddressKind::Data: readData(); break;
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
    releaseTransfer();
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

void PageLoader::readData()
{
    std::optional<DataContent> content = decodeDataAddress(m_response.request.url);
    if (!content)
        m_response.failure = LoadFailure{LoadFailureKind::InvalidAddress, {}};
    else if (content->bytes.size() > m_limits.maxBodyBytes)
        m_response.failure = bodyTooLarge(m_limits.maxBodyBytes);
    else
        std::tie(m_response.contentType, m_response.body) = std::tuple(std::move(content->contentType), std::move(content->bytes));
}

void PageLoader::send(const NavigationRequest &request)
{
    m_response.request = request;
    HttpRequest http{request.url, requestTarget(request), request.method, request.body, requestHeadersFor(request),
                     m_network.proxy().proxyFor(request.url), m_network.extraAuthorities(),
                     m_network.verifiesCertificates()};
    if (const QByteArray cookies = m_network.cookies().headerFor(request.url); !cookies.isEmpty())
        http.headers.append({"Cookie", cookies});
    if (request.url.scheme() == QLatin1String("http"))
        http.headers.append({QByteArrayLiteral("Connection"), QByteArrayLiteral("keep-alive")});
    if (answeredFromCache(http)) {
        finishLater();
        return;
    }
    m_sent = http;
    m_times = {QDateTime::currentDateTimeUtc(), {}};
    m_transfer.reset(new HttpTransfer(m_network.client(), http, m_limits, *this));
    connect(m_transfer.get(), &HttpTransfer::requestSent, this, &PageLoader::requestSent);
    connect(m_transfer.get(), &HttpTransfer::finished, this, &PageLoader::onTransferFinished);
    m_transfer->start();
}

bool PageLoader::answeredFromCache(HttpRequest &http)
{
    HttpCache &cache = m_network.cache();
    m_revalidated.reset();
    if (http.method != "GET") {
        cache.forget(http);
        return false;
    }
    if (m_cacheUse == CacheUse::Reload) {
        http.headers.append({QByteArrayLiteral("Cache-Control"), QByteArrayLiteral("no-cache")});
        http.headers.append({QByteArrayLiteral("Pragma"), QByteArrayLiteral("no-cache")});
        return false;
    }
    std::optional<StoredAnswer> stored = cache.find(http);
    if (!stored)
        return false;
    if (freshness(stored->answer, stored->times, QDateTime::currentDateTimeUtc()) == Freshness::Fresh) {
        takeStored(*stored);
        return true;
    }
    if (const QByteArray tag = stored->answer.header("ETag"); !tag.isEmpty())
        http.headers.append({QByteArrayLiteral("If-None-Match"), tag});
    if (const QByteArray modified = stored->answer.header("Last-Modified"); !modified.isEmpty())
        http.headers.append({QByteArrayLiteral("If-Modified-Since"), modified});
    m_revalidated = std::move(stored);
    return false;
}

// A kept answer counts against the load's bounds as one from the server does.
void PageLoader::takeStored(const StoredAnswer &stored)
{
    if (stored.body.size() > m_limits.maxBodyBytes) {
        m_response.failure = bodyTooLarge(m_limits.maxBodyBytes);
        return;
    }
    m_response.body = stored.body;
    m_response.httpStatus = stored.answer.status;
    m_response.contentType = stored.answer.header("Content-Type");
}

bool PageLoader::headersArrived(const HttpAnswer &answer)
{
    m_times.received = QDateTime::currentDateTimeUtc();
    for (const QByteArray &cookie : answer.values("Set-Cookie"))
        m_network.cookies().store(cookie, m_response.request.url);
    m_response.body.clear();
    m_body = Body::Whole;
    m_skipped = 0;
    m_redirecting = isRedirectStatus(answer.status) && !answer.header("Location").isEmpty();
    m_decoder = ContentDecoder::forEncoding(answer.header("Content-Encoding"));
    if (m_redirecting || m_decoder)
        return true;
    // A body of known length is read into one buffer of its size, or not at all past the bound.
    bool known = false;
    const qint64 length = answer.header("Content-Length").toLongLong(&known);
    if (!known)
        return true;
    if (length > m_limits.maxBodyBytes) {
        m_body = Body::PastBound;
        return false;
    }
    m_response.body.reserve(std::max<qint64>(length, 0));
    return true;
}

bool PageLoader::bodyArrived(QByteArrayView bytes)
{
    // A redirect's own page is not read past the bound, and not kept.
    if (m_redirecting) {
        m_skipped += bytes.size();
        return m_skipped <= m_limits.maxBodyBytes;
    }
    if (!m_decoder) {
        if (m_response.body.size() + bytes.size() > m_limits.maxBodyBytes) {
            m_body = Body::PastBound;
            return false;
        }
        appendPlain(bytes);
        return true;
    }
    switch (m_decoder->decode(bytes, m_response.body, m_limits.maxBodyBytes)) {
    case ContentDecoder::Result::Decoded: return true;
    case ContentDecoder::Result::PastBound: m_body = Body::PastBound; break;
    case ContentDecoder::Result::Broken: m_body = Body::Undecodable; break;
    }
    return false;
}

void PageLoader::appendPlain(QByteArrayView bytes)
{
    const qsizetype held = m_response.body.size();
    if (m_response.body.capacity() < held + bytes.size())
        m_response.body.reserve(std::min<qint64>(std::max<qint64>(2 * m_response.body.capacity(), held + bytes.size()),
                                                 m_limits.maxBodyBytes));
    m_response.body.append(bytes);
}

void PageLoader::onTransferFinished()
{
    const HttpAnswer answer = m_transfer->answer();
    const std::optional<LoadFailure> failure = m_transfer->failure();
    releaseTransfer();
    const bool answered = answer.status >= 200;
    if (answer.status == 304 && m_revalidated && !failure) {
        takeStored(m_network.cache().refresh(m_sent, *std::exchange(m_revalidated, std::nullopt), answer, m_times));
        finish();
        return;
    }
    if (answered && m_redirecting && (!failure || !refusesTheAnswer(*failure))) {
        followRedirect(answer.status, answer.header("Location"));
        return;
    }
    if (m_body == Body::PastBound) {
        fail(bodyTooLarge(m_limits.maxBodyBytes));
        return;
    }
    if (m_body == Body::Undecodable) {
        fail({LoadFailureKind::InvalidResponse, {}});
        return;
    }
    // A connection cut after the headers still shows what arrived, as browsers show a cut page.
    if (failure && (!answered || refusesTheAnswer(*failure) || m_response.body.isEmpty())) {
        fail(*failure);
        return;
    }
    takeAnswer(answer, !failure);
}

void PageLoader::takeAnswer(const HttpAnswer &answer, bool complete)
{
    m_response.httpStatus = answer.status;
    m_response.contentType = answer.header("Content-Type");
    m_response.keepsDocument = answer.status == 204 || answer.status == 205;
    m_response.noStore = cacheDirectives(answer.header("Cache-Control")).noStore;
    if (complete && m_sent.method == "GET")
        m_network.cache().store(m_sent, answer, m_response.body, m_times);
    finish();
}

void PageLoader::followRedirect(int httpStatus, const QByteArray &location)
{
    // The Location is read against the address as it was sent, escapes as written.
    const auto current = dom::Url::parse(dom::writtenUrl(m_response.request.url, m_response.request.wireTarget));
    const auto target = current ? dom::Url::parse(QString::fromUtf8(location), &*current) : std::nullopt;
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
    m_response.body.clear();
    send(redirectedRequest(m_response.request, httpStatus, *target));
}

void PageLoader::fail(const LoadFailure &failure)
{
    m_response.failure = failure;
    m_response.body.clear();
    finish();
}

void PageLoader::finish()
{
    releaseTransfer();
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

void PageLoader::releaseTransfer()
{
    if (!m_transfer)
        return;
    m_transfer->disconnect(this);
    m_transfer->abandon();
    m_transfer.reset();
}
