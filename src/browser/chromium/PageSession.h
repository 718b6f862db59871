#pragma once

#include "browser/chromium/DevToolsConnection.h"

#include <QJsonObject>
#include <QString>

#include <functional>
#include <memory>

// The protocol session of one page target. Once the target is closed or the connection is
// gone, every call throws ScriptError(RemoteUnavailable) without reaching the browser.
class PageSession {
public:
    PageSession(std::weak_ptr<DevToolsConnection> connection, QString targetId, QString sessionId);
    // The session of a target inside this one (a frame shown by another process).
    [[nodiscard]] PageSession innerSession(QString targetId, QString sessionId) const;

    [[nodiscard]] const QString &targetId() const { return m_targetId; }
    [[nodiscard]] const QString &sessionId() const { return m_sessionId; }
    [[nodiscard]] bool isClosed() const;
    void markClosed() { m_closed = true; }

    // A command to the page, waited for.
    QJsonObject call(const QString &method, const QJsonObject &params = {}) const;
    // A command to the page, not waited for.
    void post(const QString &method, const QJsonObject &params = {},
              DevToolsConnection::ReplyHandler onReply = {}) const;
    // A command to the browser about this target (Target.closeTarget, ...), waited for.
    QJsonObject callBrowser(const QString &method, const QJsonObject &params) const;
    // A command to the browser about this target, not waited for.
    void postBrowser(const QString &method, const QJsonObject &params) const;

    // A fresh name for the remote objects one request creates, so they can be released together.
    [[nodiscard]] QString newObjectGroup();

    // What follows a click in the page: the window waits for a navigation the click asked for,
    // or reports the one the browser refused.
    void setAfterClick(std::function<void(bool navigationRefused)> afterClick) { m_afterClick = std::move(afterClick); }
    void afterClick(bool navigationRefused) const
    {
        if (m_afterClick)
            m_afterClick(navigationRefused);
    }

private:
    [[nodiscard]] std::shared_ptr<DevToolsConnection> openConnection() const;

    std::weak_ptr<DevToolsConnection> m_connection;
    QString m_targetId;
    QString m_sessionId;
    bool m_closed = false;
    int m_groups = 0;
    std::function<void(bool)> m_afterClick;
};
