#include "browser/chromium/DevToolsConnection.h"

#include "browser/chromium/ChromiumErrors.h"
#include "browser/chromium/DevToolsTransport.h"
#include "browser/chromium/NestedWait.h"
#include "engine/ScriptError.h"

#include <QJsonDocument>
#include <QLoggingCategory>

// The protocol's messages both ways, shown with QT_LOGGING_RULES="navrelay.devtools.debug=true".
Q_LOGGING_CATEGORY(lcDevTools, "navrelay.devtools", QtWarningMsg)

DevToolsConnection::DevToolsConnection(std::unique_ptr<DevToolsTransport> transport)
    : m_transport(std::move(transport))
    , m_open(m_transport->isOpen())
{
    connect(m_transport.get(), &DevToolsTransport::messageReceived, this, &DevToolsConnection::receive);
    connect(m_transport.get(), &DevToolsTransport::closed, this, &DevToolsConnection::onDisconnected);
}

DevToolsConnection::~DevToolsConnection() = default;

QJsonObject DevToolsConnection::call(const QString &method, const QJsonObject &params, const QString &sessionId)
{
    if (!m_open)
        throw ScriptError(RemoteUnavailable);
    NestedWait wait(kCallTimeoutMs);
    std::optional<DevToolsReply> reply;
    const qint64 id = send(method, params, sessionId, [&wait, &reply](const DevToolsReply &answer) {
        reply = answer;
        wait.finish();
    });
    if (!wait.wait()) {
        m_pending.erase(id); // a late reply finds nobody waiting
        throw ScriptError(RemoteUnavailable);
    }
    if (reply->connectionLost)
        throw ScriptError(RemoteUnavailable);
    if (reply->error)
        throwProtocolError(*reply->error);
    return reply->result;
}

void DevToolsConnection::post(const QString &method, const QJsonObject &params, const QString &sessionId,
                              ReplyHandler onReply)
{
    if (m_open)
        send(method, params, sessionId, std::move(onReply));
}

qint64 DevToolsConnection::send(const QString &method, const QJsonObject &params, const QString &sessionId,
                                ReplyHandler onReply)
{
    const qint64 id = m_nextId++;
    QJsonObject message{{QStringLiteral("id"), id}, {QStringLiteral("method"), method},
                        {QStringLiteral("params"), params}};
    if (!sessionId.isEmpty())
        message.insert(QStringLiteral("sessionId"), sessionId);
    m_pending.emplace(id, std::move(onReply));
    const QByteArray text = QJsonDocument(message).toJson(QJsonDocument::Compact);
    qCDebug(lcDevTools).noquote() << "->" << text;
    m_transport->send(text);
    return id;
}

void DevToolsConnection::receive(const QByteArray &text)
{
    qCDebug(lcDevTools).noquote() << "<-" << text.left(2000);
    const QJsonObject message = QJsonDocument::fromJson(text).object();
    if (message.contains(QStringLiteral("id"))) {
        const auto pending = m_pending.find(message.value(QStringLiteral("id")).toInteger());
        if (pending == m_pending.end())
            return;
        const ReplyHandler onReply = std::move(pending->second);
        m_pending.erase(pending);
        DevToolsReply reply;
        if (message.contains(QStringLiteral("error")))
            reply.error = message.value(QStringLiteral("error")).toObject().value(QStringLiteral("message")).toString();
        else
            reply.result = message.value(QStringLiteral("result")).toObject();
        if (onReply)
            onReply(reply);
        return;
    }
    const QString method = message.value(QStringLiteral("method")).toString();
    if (!method.isEmpty() && m_eventHandler)
        m_eventHandler(message.value(QStringLiteral("sessionId")).toString(), method,
                       message.value(QStringLiteral("params")).toObject());
}

void DevToolsConnection::onDisconnected()
{
    if (!m_open)
        return;
    m_open = false;
    auto pending = std::move(m_pending);
    m_pending.clear();
    DevToolsReply lost;
    lost.connectionLost = true;
    for (auto &[id, onReply] : pending) {
        if (onReply)
            onReply(lost);
    }
    emit disconnected();
}
