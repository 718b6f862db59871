#include "browser/chromium/PageSession.h"

#include "engine/ScriptError.h"

PageSession::PageSession(std::weak_ptr<DevToolsConnection> connection, QString targetId, QString sessionId)
    : m_connection(std::move(connection))
    , m_targetId(std::move(targetId))
    , m_sessionId(std::move(sessionId))
{
}

PageSession PageSession::innerSession(QString targetId, QString sessionId) const
{
    return {m_connection, std::move(targetId), std::move(sessionId)};
}

bool PageSession::isClosed() const
{
    const auto connection = m_connection.lock();
    return m_closed || !connection || !connection->isOpen();
}

std::shared_ptr<DevToolsConnection> PageSession::openConnection() const
{
    auto connection = m_connection.lock();
    if (m_closed || !connection || !connection->isOpen())
        throw ScriptError(RemoteUnavailable);
    return connection;
}

QJsonObject PageSession::call(const QString &method, const QJsonObject &params) const
{
    return openConnection()->call(method, params, m_sessionId);
}

void PageSession::post(const QString &method, const QJsonObject &params, DevToolsConnection::ReplyHandler onReply) const
{
    if (const auto connection = m_connection.lock(); connection && !m_closed)
        connection->post(method, params, m_sessionId, std::move(onReply));
}

QJsonObject PageSession::callBrowser(const QString &method, const QJsonObject &params) const
{
    return openConnection()->call(method, params);
}

void PageSession::postBrowser(const QString &method, const QJsonObject &params) const
{
    if (const auto connection = m_connection.lock(); connection && !m_closed)
        connection->post(method, params);
}

QString PageSession::newObjectGroup()
{
    return QStringLiteral("navrelay-%1").arg(++m_groups);
}
