#pragma once

#include "browser/builtin/net/HttpCache.h"
#include "browser/builtin/net/HttpTransfer.h"
#include "browser/builtin/net/LoadLimits.h"
#include "browser/builtin/net/LoadedResponse.h"
#include "browser/builtin/net/LocalFile.h"

#include <QFutureWatcher>
#include <QObject>

#include <memory>

class ContentDecoder;
class NetworkAccess;

// One navigation's load: the request, the redirects it is sent on, and the answer, its headers
// and body within their bounds. Failures end in a LoadFailure, never in an exception. A GET is
// answered from the browser's cache while its kept answer is fresh, and asks the server whether
// a stale one changed (If-None-Match, If-Modified-Since); a Reload sends Cache-Control: no-cache.
class PageLoader final : public QObject, private HttpTransfer::Receiver {
    Q_OBJECT
public:
    PageLoader(NetworkAccess &network, const LoadLimits &limits, NavigationRequest request,
               CacheUse cacheUse = CacheUse::Normal);
    ~PageLoader() override;

    // Starts the load; finished() follows from the event loop, never from inside start().
    void start();
    // Ends the load with this failure, without a request; finished() follows from the event loop.
    void startFailed(const LoadFailure &failure);
    // Ends the load with no answer and no request, for a page the window still holds;
    // finished() follows from the event loop.
    void startWithoutRequest();
    // Stops the load for good: finished() is not emitted after this.
    void cancel();

    [[nodiscard]] const LoadedResponse &response() const { return m_response; }

signals:
    // A request of the load has gone out: the answer is on its way.
    void requestSent();
    void finished();

private:
    enum class Body { Whole, PastBound, Undecodable };
    struct Later {
        void operator()(QObject *object) const { object->deleteLater(); }
    };

    void readFile();
    void onFileRead();
    void readData();
    void send(const NavigationRequest &request);
    // Sets the request's cache fields; true when the kept answer is used without a request.
    [[nodiscard]] bool answeredFromCache(HttpRequest &http);
    void takeStored(const StoredAnswer &stored);
    [[nodiscard]] bool headersArrived(const HttpAnswer &answer) override;
    [[nodiscard]] bool bodyArrived(QByteArrayView bytes) override;
    void appendPlain(QByteArrayView bytes);
    void onTransferFinished();
    void takeAnswer(const HttpAnswer &answer, bool complete);
    void followRedirect(int httpStatus, const QByteArray &location);
    void fail(const LoadFailure &failure);
    void finish();
    void finishLater();
    void releaseTransfer();

    NetworkAccess &m_network;
    const LoadLimits m_limits;
    const CacheUse m_cacheUse;
    LoadedResponse m_response;
    HttpRequest m_sent;                       // the last request that went out
    ExchangeTimes m_times;                    // of that request
    std::optional<StoredAnswer> m_revalidated; // the kept answer it asks about
    // It may be the one reporting: it goes from the event loop.
    std::unique_ptr<HttpTransfer, Later> m_transfer;
    std::unique_ptr<ContentDecoder> m_decoder; // null for a body taken as it comes
    QFutureWatcher<LocalFileContent> *m_fileRead = nullptr; // a child, deleted with the loader
    Body m_body = Body::Whole;
    bool m_redirecting = false; // the answer sends the browser on: its body is not kept
    qint64 m_skipped = 0;       // bytes of a redirect's body
    int m_redirects = 0;
    bool m_done = false;
};
