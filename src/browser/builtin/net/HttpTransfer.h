#pragma once

#include "browser/builtin/net/LoadLimits.h"
#include "browser/builtin/net/LoadedResponse.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <curl/curl.h>

#include <optional>

class HttpClient;

using HttpHeaders = QList<QPair<QByteArray, QByteArray>>;

// What goes out: the request-target is sent exactly as written, escapes and dot segments kept.
struct HttpRequest {
    QUrl url; // scheme, credentials, host and port
    QByteArray target;
    QByteArray method = "GET";
    QByteArray body;
    HttpHeaders headers; // as sent, with Host and Content-Length added
    QByteArray proxy;    // the proxy's address, empty for a direct connection
    QByteArray authorities; // a PEM file of certificate authorities trusted besides the system's
    bool verifyCertificates = true; // false only where the user asked for it
};

// The status and header fields of an answer, names as sent.
struct HttpAnswer {
    int status = 0;
    HttpHeaders headers;

    // The values of every field of that name, joined with ", ", as one field.
    [[nodiscard]] QByteArray header(QByteArrayView name) const;
    [[nodiscard]] QList<QByteArray> values(QByteArrayView name) const;
};

// One HTTP exchange on the client, and the one place where an answer's header lines are read and
// bounded: the status line, every header line (one without a colon too), the lines of interim
// answers and the trailers after a chunked body count against the header bound as they arrive,
// and past it the transfer ends at once. An answer that ends its connection in doubt (duplicate
// Content-Length, Content-Length beside chunked) does not leave it for the next request.
class HttpTransfer final : public QObject {
    Q_OBJECT
public:
    // Hears of the answer as it arrives, from inside the client's work: it may neither end nor
    // delete the transfer there; returning false stops the transfer at once.
    class Receiver {
    public:
        virtual ~Receiver() = default;
        // A header block ended. Another may follow (an answer to credentials sent on a challenge):
        // then what came before it is not the answer.
        [[nodiscard]] virtual bool headersArrived(const HttpAnswer &answer) = 0;
        [[nodiscard]] virtual bool bodyArrived(QByteArrayView bytes) = 0;
    };

    HttpTransfer(HttpClient &client, const HttpRequest &request, const LoadLimits &limits, Receiver &receiver);
    ~HttpTransfer() override;
    HttpTransfer(const HttpTransfer &) = delete;
    HttpTransfer &operator=(const HttpTransfer &) = delete;

    // requestSent() and finished() follow from the event loop, never from inside start().
    void start();
    // Ends the exchange at once, without a word to the receiver or a signal. Never from inside a
    // receiver's call.
    void abandon();

    // The last header block, status 0 before one ended.
    [[nodiscard]] const HttpAnswer &answer() const { return m_answer; }
    // Why the exchange ended without its whole answer; none when the receiver stopped it.
    [[nodiscard]] const std::optional<LoadFailure> &failure() const { return m_failure; }

    // For the client.
    [[nodiscard]] CURL *handle() const { return m_easy; }
    void ended(CURLcode result);

signals:
    void requestSent();
    void finished();

private:
    static size_t onHeader(char *data, size_t size, size_t count, void *transfer);
    static size_t onBody(char *data, size_t size, size_t count, void *transfer);
    static int onRequestReady(void *transfer, char *, char *, int, int);
    void setUp(const HttpRequest &request);
    [[nodiscard]] bool holdsUnreadBytes(int localPort) const;
    [[nodiscard]] bool takeHeaderLine(QByteArrayView line);
    [[nodiscard]] bool takeStatusLine(QByteArrayView line, qsizetype rawSize);
    [[nodiscard]] bool headerBlockEnded();
    [[nodiscard]] bool refuse(LoadFailure failure);
    void stop(const LoadFailure &failure);
    [[nodiscard]] LoadFailure failureOf(CURLcode result) const;

    QPointer<HttpClient> m_client;
    const LoadLimits m_limits;
    Receiver &m_receiver;
    CURL *m_easy;
    curl_slist *m_headerList = nullptr;
    char m_error[CURL_ERROR_SIZE] = {};
    QTimer m_idle;           // a transfer that stalls this long is given up
    QTimer m_headerDeadline; // headers that trickle in are as good as none
    HttpAnswer m_answer;     // the block being read, then the last one
    int m_finalBlocks = 0;
    int m_headerLines = 0;
    qint64 m_headerBytes = 0;
    bool m_inBlock = false;
    bool m_answered = false; // a final header block ended
    bool m_bodyStarted = false;
    bool m_stopped = false; // by the receiver
    bool m_sent = false;
    bool m_staleConnection = false; // the kept connection found held bytes nobody asked for
    bool m_running = false;
    std::optional<LoadFailure> m_failure;
};
