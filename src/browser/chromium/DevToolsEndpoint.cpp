#include "browser/chromium/DevToolsEndpoint.h"

#include "browser/chromium/NestedWait.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>

std::optional<DevToolsAddress> DevToolsAddress::parse(const QString &text)
{
    const QString trimmed = text.trimmed();
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

DevToolsEndpoint::DevToolsEndpoint(DevToolsAddress address)
    : m_address(std::move(address))
    , m_network(std::make_unique<QNetworkAccessManager>())
{
    m_network->setProxy(QNetworkProxy::NoProxy);
}

DevToolsEndpoint::~DevToolsEndpoint() = default;

std::optional<QByteArray> DevToolsEndpoint::get(const QString &path)
{
    QNetworkRequest request(m_address.httpUrl(path));
    request.setTransferTimeout(kRequestTimeoutMs);
    std::unique_ptr<QNetworkReply> reply(m_network->get(request));
    NestedWait wait(kRequestTimeoutMs);
    QObject::connect(reply.get(), &QNetworkReply::finished, [&wait] { wait.finish(); });
    if (!wait.wait() || reply->error() != QNetworkReply::NoError) {
        reply->abort();
        return std::nullopt;
    }
    return reply->readAll();
}

std::optional<QUrl> DevToolsEndpoint::browserSocketUrl()
{
    const auto body = get(QStringLiteral("/json/version"));
    if (!body)
        return std::nullopt;
    const QUrl url(QJsonDocument::fromJson(*body).object().value(QStringLiteral("webSocketDebuggerUrl")).toString());
    if (!url.isValid() || url.isEmpty())
        return std::nullopt;
    return url;
}

std::optional<std::vector<DevToolsTarget>> DevToolsEndpoint::targets()
{
    const auto body = get(QStringLiteral("/json/list"));
    if (!body)
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(*body);
    if (!document.isArray())
        return std::nullopt;
    std::vector<DevToolsTarget> targets;
    for (const QJsonValue &entry : document.array()) {
        const QJsonObject target = entry.toObject();
        targets.push_back({target.value(QStringLiteral("id")).toString(), target.value(QStringLiteral("type")).toString(),
                           target.value(QStringLiteral("title")).toString(), target.value(QStringLiteral("url")).toString()});
    }
    return targets;
}

bool devToolsEndpointAnswers(const DevToolsAddress &address)
{
    return DevToolsEndpoint(address).browserSocketUrl().has_value();
}
