#include "browser/chromium/RemoteDocument.h"

#include "browser/chromium/PageScripts.h"
#include "browser/chromium/PageSession.h"
#include "browser/chromium/RemoteCall.h"
#include "browser/chromium/RemoteElement.h"

#include <QJsonValue>

namespace {

QString targetKindName(ActionTarget::Kind kind)
{
    switch (kind) {
    case ActionTarget::Kind::Link: return QStringLiteral("link");
    case ActionTarget::Kind::FieldByName: return QStringLiteral("fieldByName");
    case ActionTarget::Kind::ElementByClass: return QStringLiteral("elementByClass");
    case ActionTarget::Kind::FieldById: return QStringLiteral("fieldById");
    case ActionTarget::Kind::Button: return QStringLiteral("button");
    case ActionTarget::Kind::ElementByName: return QStringLiteral("elementByName");
    case ActionTarget::Kind::Item: return QStringLiteral("item");
    case ActionTarget::Kind::ImageInput: return QStringLiteral("imageInput");
    case ActionTarget::Kind::ElementById: return QStringLiteral("elementById");
    }
    return {};
}

} // namespace

RemoteDocument::RemoteDocument(std::shared_ptr<PageSession> session, int contextId, DocumentKind kind, QString changeBinding)
    : m_session(std::move(session))
    , m_contextId(contextId)
    , m_kind(kind)
    , m_changeBinding(std::move(changeBinding))
{
}

std::unique_ptr<Element> RemoteDocument::element(const char *function, const QJsonArray &arguments) const
{
    const QString group = m_session->newObjectGroup();
    RemoteTarget target;
    target.contextId = m_contextId;
    return remoteElementFrom(callRemoteFunction(*m_session, target, function, arguments, RemoteCallOptions::inGroup(group)),
                             m_session, group);
}

std::unique_ptr<Collection> RemoteDocument::collection(const char *function, const QJsonArray &arguments) const
{
    const QString group = m_session->newObjectGroup();
    RemoteTarget target;
    target.contextId = m_contextId;
    return remoteCollectionFrom(callRemoteFunction(*m_session, target, function, arguments, RemoteCallOptions::inGroup(group)),
                                m_session, group);
}

std::unique_ptr<Element> RemoteDocument::body() const
{
    return element(PageScripts::kBody);
}

std::unique_ptr<Collection> RemoteDocument::all() const
{
    return collection(PageScripts::kAll);
}

std::unique_ptr<Collection> RemoteDocument::links() const
{
    return collection(PageScripts::kLinks);
}

std::unique_ptr<Collection> RemoteDocument::getElementsByName(const QString &name) const
{
    return collection(PageScripts::kElementsByName, {remoteArgument(name)});
}

std::unique_ptr<Element> RemoteDocument::getElementById(const QString &id) const
{
    return element(PageScripts::kElementById, {remoteArgument(id)});
}

std::unique_ptr<Collection> RemoteDocument::getElementsByTagName(const QString &tagName) const
{
    return collection(PageScripts::kElementsByTagName, {remoteArgument(tagName)});
}

void RemoteDocument::execCommand(const QString &command, bool showUserInterface, const QVariant &value)
{
    RemoteTarget target;
    target.contextId = m_contextId;
    const QJsonValue valueArgument = value.isValid() ? QJsonValue::fromVariant(value) : QJsonValue(QJsonValue::Undefined);
    (void)callRemoteFunction(*m_session, target, PageScripts::kExecCommand,
                             {remoteArgument(command), remoteArgument(showUserInterface), remoteArgument(valueArgument)},
                             RemoteCallOptions::byValue());
}

TargetState RemoteDocument::targetState(const ActionTarget &target) const
{
    RemoteTarget context;
    context.contextId = m_contextId;
    const QString state = callRemoteFunction(*m_session, context, PageScripts::kTargetState,
                                             {remoteArgument(targetKindName(target.kind)), remoteArgument(target.text),
                                              remoteArgument(int(target.index)), remoteArgument(m_changeBinding)},
                                             RemoteCallOptions::byValue())
                              .value(QStringLiteral("value"))
                              .toString();
    if (state == QLatin1String("ready"))
        return TargetState::Ready;
    return state == QLatin1String("missing") ? TargetState::Missing : TargetState::NotReady;
}

DocumentKind documentKindOf(const QString &mimeType)
{
    // A page whose type is not known yet is the empty HTML document every new window starts with.
    if (mimeType.isEmpty() || mimeType == QLatin1String("text/html") || mimeType == QLatin1String("application/xhtml+xml"))
        return DocumentKind::Html;
    return DocumentKind::Other;
}
