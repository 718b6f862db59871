#include "browser/chromium/DevToolsEndpoint.h"

#include "browser/chromium/NestedWait.h"
#include "browser/chromium/WebSocketTransport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>

namespace {

std::optional<DevToolsAddress> socketAddress(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return std::nullopt;
    DevToolsAddress address;
    address.host = url.host();
    address.port = url.port(80);
    address.socketUrl = url;
    return address;
}

} // namespace

std::optional<DevToolsAddress> DevToolsAddress::parse(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1String("ws://"), Qt::CaseInsensitive))
        return socketAddress(trimmed);
    QString host = trimmed;
    std::optional<QString> portText;
    if (trimmed.startsWith(QLatin1Char('['))) { // an IPv6 address: "[::1]:9222"
        const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
        const QString after = trimmed.mid(close + 1);
        if (close < 0 || (!after.isEmpty() && !after.startsWith(QLatin1Char(':'))))
            return std::nullopt;
        host = trimmed.mid(1, close - 1);
        if (!after.isEmpty())
            portText = after.mid(1);
    } else if (const qsizetype colon = trimmed.lastIndexOf(QLatin1Char(':')); colon >= 0) {
        host = trimmed.left(colon);
        portText = trimmed.mid(colon + 1);
    }
    DevToolsAddress address;
    if (!host.isEmpty())
        address.host = host;
    if (portText) {
        bool ok = false;
        address.port = portText->toInt(&ok);
        if (!ok || address.port < 1 || address.port > 65535)
            return std::nullopt;
    }
    return address;
}

QUrl DevToolsAddress::httpUrl(const QString &path) const
{
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(host);
    url.setPort(port);
    url.setPath(path);
    return url;
}

QString DevToolsAddress::displayText() const
{
    return QStringLiteral("%1:%2").arg(host.contains(QLatin1Char(':')) ? QStringLiteral("[%1]").arg(host) : host).arg(port);
}

DevToolsEndpoint::DevToolsEndpoint(DevToolsAddress address)
    : m_address(std::move(address))
    , m_network(std::make_unique<QNetworkAccessManager>())
{
    m_network->setProxy(QNetworkProxy::NoProxy);
}

DevToolsEndpoint::~DevToolsEndpoint() = default;

std::optional<QUrl> DevToolsEndpoint::browserSocketUrl()
{
    if (!m_address.socketUrl.isEmpty())
        return m_address.socketUrl;
    QNetworkRequest request(m_address.httpUrl(QStringLiteral("/json/version")));
    request.setTransferTimeout(kRequestTimeoutMs);
    std::unique_ptr<QNetworkReply> reply(m_network->get(request));
    NestedWait wait(kRequestTimeoutMs);
    QObject::connect(reply.get(), &QNetworkReply::finished, [&wait] { wait.finish(); });
    if (!wait.wait() || reply->error() != QNetworkReply::NoError) {
        reply->abort();
        return std::nullopt;
    }
    const QUrl url(QJsonDocument::fromJson(reply->readAll()).object().value(QStringLiteral("webSocketDebuggerUrl")).toString());
    if (!url.isValid() || url.isEmpty())
        return std::nullopt;
    return url;
}

std::unique_ptr<DevToolsTransport> DevToolsEndpoint::open()
{
    const auto socketUrl = browserSocketUrl();
    return socketUrl ? WebSocketTransport::open(*socketUrl) : nullptr;
}
