#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <memory>

class PageSession;

// Where a function runs: on a remote object (its `this`) or in a script context.
struct RemoteTarget {
    QString objectId;
    int contextId = 0;
};

struct RemoteCallOptions {
    bool returnByValue = false;
    bool userGesture = false;
    QString objectGroup; // the group that keeps the objects the call returns

    // The result as a plain value, not an object handle.
    [[nodiscard]] static RemoteCallOptions byValue();
    // The result by value, run as the user's own action (a popup is allowed).
    [[nodiscard]] static RemoteCallOptions asUserGesture();
    // The result as an object handle kept in the group.
    [[nodiscard]] static RemoteCallOptions inGroup(const QString &group);
};

// Runs a function in the page and gives the RemoteObject it returns. Throws ScriptError: 462
// when the page, its document or the object is gone; the exception's text when the function
// throws.
[[nodiscard]] QJsonObject callRemoteFunction(const PageSession &session, const RemoteTarget &target,
                                             const char *function, const QJsonArray &arguments = {},
                                             const RemoteCallOptions &options = {});

// A call argument carrying a plain value.
[[nodiscard]] QJsonObject remoteArgument(const QJsonValue &value);

// A group of remote objects, released in the page once the last handle that uses it is gone.
class RemoteObjectGroup {
public:
    RemoteObjectGroup(std::shared_ptr<PageSession> session, QString name);
    ~RemoteObjectGroup();
    RemoteObjectGroup(const RemoteObjectGroup &) = delete;
    RemoteObjectGroup &operator=(const RemoteObjectGroup &) = delete;

private:
    std::shared_ptr<PageSession> m_session;
    QString m_name;
};
