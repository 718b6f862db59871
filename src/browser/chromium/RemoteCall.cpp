#include "browser/chromium/RemoteCall.h"

#include "browser/chromium/ChromiumErrors.h"
#include "browser/chromium/PageSession.h"

RemoteCallOptions RemoteCallOptions::byValue()
{
    RemoteCallOptions options;
    options.returnByValue = true;
    return options;
}

RemoteCallOptions RemoteCallOptions::asUserGesture()
{
    RemoteCallOptions options = byValue();
    options.userGesture = true;
    return options;
}

RemoteCallOptions RemoteCallOptions::inGroup(const QString &group)
{
    RemoteCallOptions options;
    options.objectGroup = group;
    return options;
}

QJsonObject callRemoteFunction(const PageSession &session, const RemoteTarget &target, const char *function,
                               const QJsonArray &arguments, const RemoteCallOptions &options)
{
    QJsonObject params{{QStringLiteral("functionDeclaration"), QString::fromUtf8(function)},
                       {QStringLiteral("arguments"), arguments},
                       {QStringLiteral("returnByValue"), options.returnByValue},
                       {QStringLiteral("userGesture"), options.userGesture}};
    if (target.objectId.isEmpty())
        params.insert(QStringLiteral("executionContextId"), target.contextId);
    else
        params.insert(QStringLiteral("objectId"), target.objectId);
    if (!options.objectGroup.isEmpty())
        params.insert(QStringLiteral("objectGroup"), options.objectGroup);

    const QJsonObject reply = session.call(QStringLiteral("Runtime.callFunctionOn"), params);
    if (reply.contains(QStringLiteral("exceptionDetails"))) {
        const QJsonObject details = reply.value(QStringLiteral("exceptionDetails")).toObject();
        const QString description = details.value(QStringLiteral("exception")).toObject().value(QStringLiteral("description")).toString();
        throwPageException(description.isEmpty() ? details.value(QStringLiteral("text")).toString()
                                                 : description.section(QLatin1Char('\n'), 0, 0));
    }
    return reply.value(QStringLiteral("result")).toObject();
}

QJsonObject remoteArgument(const QJsonValue &value)
{
    if (value.isUndefined())
        return {}; // an argument without a value is undefined in the page
    return {{QStringLiteral("value"), value}};
}

RemoteObjectGroup::RemoteObjectGroup(std::shared_ptr<PageSession> session, QString name)
    : m_session(std::move(session))
    , m_name(std::move(name))
{
}

RemoteObjectGroup::~RemoteObjectGroup()
{
    m_session->post(QStringLiteral("Runtime.releaseObjectGroup"), {{QStringLiteral("objectGroup"), m_name}});
}
