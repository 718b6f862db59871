#include "browser/chromium/RemoteElement.h"

#include "browser/chromium/PageScripts.h"
#include "browser/chromium/PageSession.h"
#include "engine/ScriptError.h"

#include <QRegularExpression>

namespace {

// Chromium describes an array as "Array(LENGTH)".
std::optional<int> describedLength(const QJsonObject &result)
{
    static const QRegularExpression pattern(QStringLiteral("^Array\\((\\d+)\\)$"));
    const auto match = pattern.match(result.value(QStringLiteral("description")).toString());
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    const int length = match.captured(1).toInt(&ok);
    return ok ? std::optional<int>(length) : std::nullopt;
}

RemoteHandle handleFrom(const QJsonObject &result, const std::shared_ptr<PageSession> &session, const QString &group)
{
    return {session, std::make_shared<RemoteObjectGroup>(session, group),
            result.value(QStringLiteral("objectId")).toString()};
}

} // namespace

RemoteElement::RemoteElement(RemoteHandle handle, int index)
    : m_handle(std::move(handle))
    , m_index(index)
{
}

QJsonObject RemoteElement::call(const char *function, QJsonArray arguments, const RemoteCallOptions &options) const
{
    arguments.prepend(remoteArgument(m_index));
    return callRemoteFunction(*m_handle.session, {m_handle.objectId}, function, arguments, options);
}

QString RemoteElement::property(const char *name) const
{
    const QJsonObject result = call(PageScripts::kGetProperty, {remoteArgument(QString::fromLatin1(name))},
                                    RemoteCallOptions::byValue());
    if (result.value(QStringLiteral("type")).toString() != QLatin1String("string"))
        throw ScriptError(NotSupported);
    return result.value(QStringLiteral("value")).toString();
}

void RemoteElement::setProperty(const char *name, const QString &value)
{
    const QJsonObject result = call(PageScripts::kSetProperty,
                                    {remoteArgument(QString::fromLatin1(name)), remoteArgument(value)},
                                    RemoteCallOptions::byValue());
    if (!result.value(QStringLiteral("value")).toBool())
        throw ScriptError(NotSupported);
}

void RemoteElement::click()
{
    // As the user's own click: a link with a target or a script's window.open may open a window.
    const QJsonObject result = call(PageScripts::kClick, {}, RemoteCallOptions::asUserGesture());
    const QJsonValue clicked = result.value(QStringLiteral("value"));
    if (clicked == QJsonValue(false))
        throw ScriptError(NotSupported);
    m_handle.session->afterClick(clicked == QJsonValue(QStringLiteral("refused")));
}

std::unique_ptr<Collection> RemoteElement::all() const
{
    const QString group = m_handle.session->newObjectGroup();
    return remoteCollectionFrom(call(PageScripts::kDescendants, {}, RemoteCallOptions::inGroup(group)), m_handle.session, group);
}

RemoteCollection::RemoteCollection(RemoteHandle array, int length)
    : m_array(std::move(array))
    , m_length(length)
{
}

std::unique_ptr<Element> RemoteCollection::item(int index) const
{
    if (index < 0 || index >= m_length)
        return nullptr;
    return std::make_unique<RemoteElement>(m_array, index);
}

std::optional<QString> RemoteCollection::typeIfAnyAt(int index) const
{
    if (index < 0 || index >= m_length)
        return std::nullopt;
    if (!m_types) {
        m_types = callRemoteFunction(*m_array.session, {m_array.objectId}, PageScripts::kTypes, {}, RemoteCallOptions::byValue())
                      .value(QStringLiteral("value"))
                      .toArray();
    }
    const QJsonValue type = m_types->at(index);
    return type.isString() ? std::optional<QString>(type.toString()) : std::nullopt;
}

std::unique_ptr<Element> remoteElementFrom(const QJsonObject &result, const std::shared_ptr<PageSession> &session,
                                           const QString &group)
{
    if (!result.contains(QStringLiteral("objectId")))
        return nullptr; // null: no such element
    return std::make_unique<RemoteElement>(handleFrom(result, session, group));
}

std::unique_ptr<Collection> remoteCollectionFrom(const QJsonObject &result, const std::shared_ptr<PageSession> &session,
                                                 const QString &group)
{
    if (!result.contains(QStringLiteral("objectId")))
        throw ScriptError(ObjectNotSet);
    RemoteHandle array = handleFrom(result, session, group);
    auto length = describedLength(result);
    if (!length)
        length = callRemoteFunction(*session, {array.objectId}, PageScripts::kLength, {}, RemoteCallOptions::byValue())
                     .value(QStringLiteral("value")).toInt();
    return std::make_unique<RemoteCollection>(std::move(array), *length);
}
