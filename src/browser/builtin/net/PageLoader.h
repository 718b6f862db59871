#pragma once

#include "browser/builtin/net/LoadLimits.h"
#include "browser/builtin/net/LoadedResponse.h"
#include "browser/builtin/net/LocalFile.h"

#include <QFutureWatcher>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>

class ContentDecoder;
class HeaderReadGuard;
class NetworkAccess;

// One navigation's load: the request, the redirects it is sent on, and the answer, its headers
// and body within their bounds. Failures end in a LoadFailure, never in an exception.
class PageLoader final : public QObject {
    Q_OBJECT
public:
    PageLoader(NetworkAccess &network, const LoadLimits &limits, NavigationRequest request);
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

    void readFile();
    void onFileRead();
    void send(const NavigationRequest &request);
    [[nodiscard]] QNetworkReply *sendOverOwnConnection(const QNetworkRequest &network, const NavigationRequest &request);
    [[nodiscard]] QNetworkReply *sendThroughManager(const QNetworkRequest &network, const NavigationRequest &request);
    void onHeaders();
    // Reads what has arrived; past the size bound or undecodable, the answer is taken at once
    // (true then).
    [[nodiscard]] bool readArrived();
    [[nodiscard]] Body readPlainBody();
    void onReplyFinished();
    void takeAnswer(int httpStatus, Body body = Body::Whole);
    void followRedirect(int httpStatus, const QByteArray &location);
    void fail(const LoadFailure &failure);
    [[nodiscard]] LoadFailure transportFailure(QNetworkReply::NetworkError error) const;
    void finish();
    void finishLater();
    void releaseHeaderGuard();
    void releaseReply();

    NetworkAccess &m_network;
    const LoadLimits m_limits;
    LoadedResponse m_response;
    QPointer<QNetworkReply> m_reply;
    std::unique_ptr<HeaderReadGuard> m_headerGuard;
    std::unique_ptr<ContentDecoder> m_decoder; // null for a body taken as it comes
    QTimer m_headerDeadline; // headers that trickle in are as good as none
    QFutureWatcher<LocalFileContent> *m_fileRead = nullptr; // a child, deleted with the loader
    int m_redirects = 0;
    bool m_awaitsHeaders = false; // the deadline for the answer's headers runs
    bool m_encrypted = false;
    bool m_done = false;
};
