#pragma once

#include "browser/builtin/LoadLimits.h"
#include "browser/builtin/LoadedResponse.h"

#include <QNetworkReply>
#include <QObject>
#include <QPointer>

class QNetworkAccessManager;

// One navigation's load: the request, the redirects it is sent on, and the answer with its
// body cut at the size bound. Failures end in a LoadFailure, never in an exception.
class PageLoader final : public QObject {
    Q_OBJECT
public:
    PageLoader(QNetworkAccessManager &network, const LoadLimits &limits, NavigationRequest request);
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
    void finished();

private:
    void send(const NavigationRequest &request);
    // Reads what has arrived; past the size bound the answer is taken as it stands (true then).
    [[nodiscard]] bool readArrived();
    void onReplyFinished();
    void takeAnswer(int httpStatus);
    void followRedirect(int httpStatus, const QByteArray &location);
    void fail(const LoadFailure &failure);
    [[nodiscard]] LoadFailure transportFailure(QNetworkReply::NetworkError error) const;
    void finish();
    void finishLater();
    void releaseReply();

    QNetworkAccessManager &m_network;
    const LoadLimits m_limits;
    LoadedResponse m_response;
    QPointer<QNetworkReply> m_reply;
    int m_redirects = 0;
    bool m_encrypted = false;
    bool m_done = false;
};
