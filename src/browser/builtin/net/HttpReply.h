#pragma once

#include "browser/builtin/net/HttpConnectionPool.h"
#include "browser/builtin/net/LoadLimits.h"

#include <QNetworkReply>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <optional>

class CookieJar;
class QTcpSocket;

// An HTTP/1.1 exchange on the engine's own thread, over a connection kept from an earlier
// exchange with the same server or a new one. It sends the request-target as written, where
// QNetworkAccessManager would build it from a QUrl, which decodes the escapes of unreserved
// characters that browsers keep ("?x=%41" goes out as "?x=A"). It answers as the manager's
// replies do (status, headers, body, errors, cookies from and into the jar), so the loader
// reads it the same way. Without a pool (and for https) the connection serves one exchange.
class HttpReply final : public QNetworkReply {
    Q_OBJECT
public:
    // The request's headers are sent as they are, with Host, Cookie, Content-Length and
    // Connection added; target is the request-target, path and query as they go on the wire.
    HttpReply(const QNetworkRequest &request, QByteArray method, QByteArray body, QByteArray target,
              CookieJar *cookies, HttpConnectionPool *connections, const LoadLimits &limits);
    ~HttpReply() override;

    void abort() override;
    [[nodiscard]] qint64 bytesAvailable() const override;
    void setReadBufferSize(qint64 size) override;

signals:
    // The answer's header block passed the bound; the load ends without an answer.
    void headersTooLarge();

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 size) override;

private:
    enum class Stage { Connecting, StatusLine, Headers, Body, ChunkSize, ChunkData, ChunkEnd, Trailers, Done };

    void connectToServer();
    [[nodiscard]] bool reuseKeptConnection();
    void watchSocket();
    void sendRequest();
    [[nodiscard]] QByteArray requestHead() const;
    void onReadyRead();
    void onBytesWritten(qint64 bytes);
    void onDisconnected();
    void onSocketError();
    // A kept connection the server closed before answering: the request goes again on a new one.
    [[nodiscard]] bool retryOnNewConnection();
    // Takes what the input holds as far as it goes; false once the reply has ended.
    [[nodiscard]] bool parse();
    void parseLine(const QByteArray &line);
    void endHeadersTooLarge();
    [[nodiscard]] bool parseStatusLine(const QByteArray &line);
    [[nodiscard]] bool parseHeaderLine(const QByteArray &line);
    void headersEnded();
    void storeCookies();
    void takeBody(qsizetype length);
    [[nodiscard]] std::optional<QByteArray> takeLine();
    void end(NetworkError error = NoError, const QString &words = {});
    void releaseSocket(bool completed);

    QByteArray m_method;
    QByteArray m_requestBody;
    QByteArray m_target;
    CookieJar *m_cookies; // the session's, outliving every reply
    QPointer<HttpConnectionPool> m_connections; // null: one exchange per connection
    const LoadLimits m_limits;
    std::unique_ptr<QTcpSocket> m_socket;
    QTimer m_idle; // a transfer that stalls this long is given up, as the manager gives it up
    qint64 m_unsent = 0;
    Stage m_stage = Stage::Connecting;
    QByteArray m_input;  // received, not parsed yet
    QByteArray m_output; // body bytes for the reader
    QList<QPair<QByteArray, QByteArray>> m_headers;
    qint64 m_headerBytes = 0;
    qint64 m_remaining = -1; // body or chunk bytes still to come; -1 up to the close
    int m_status = 0;
    bool m_reusedConnection = false;
    bool m_keepsConnection = false; // the answer lets the connection serve another exchange
};
