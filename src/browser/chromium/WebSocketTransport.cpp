#include "browser/chromium/WebSocketTransport.h"

#include "browser/chromium/NestedWait.h"

#include <QNetworkProxy>
#include <QWebSocket>

WebSocketTransport::WebSocketTransport()
    : m_socket(std::make_unique<QWebSocket>())
{
    m_socket->setProxy(QNetworkProxy::NoProxy);
    connect(m_socket.get(), &QWebSocket::textMessageReceived, this,
            [this](const QString &text) { emit messageReceived(text.toUtf8()); });
    connect(m_socket.get(), &QWebSocket::disconnected, this, &WebSocketTransport::onDisconnected);
}

WebSocketTransport::~WebSocketTransport()
{
    m_socket->disconnect(this);
    m_socket->abort();
}

std::unique_ptr<WebSocketTransport> WebSocketTransport::open(const QUrl &url)
{
    std::unique_ptr<WebSocketTransport> transport(new WebSocketTransport);
    QWebSocket &socket = *transport->m_socket;
    NestedWait wait(kOpenTimeoutMs);
    const auto connected = connect(&socket, &QWebSocket::connected, [&wait] { wait.finish(); });
    const auto failed = connect(&socket, QOverload<QAbstractSocket::SocketError>::of(&QWebSocket::error),
                                [&wait] { wait.finish(); });
    socket.open(url);
    (void)wait.wait(); // the socket's state tells how it ended
    disconnect(connected);
    disconnect(failed);
    if (socket.state() != QAbstractSocket::ConnectedState)
        return nullptr;
    transport->m_open = true;
    return transport;
}

void WebSocketTransport::send(const QByteArray &message)
{
    if (m_open)
        m_socket->sendTextMessage(QString::fromUtf8(message));
}

void WebSocketTransport::onDisconnected()
{
    if (!m_open)
        return;
    m_open = false;
    emit closed();
}
