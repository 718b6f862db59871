#pragma once

#include "page/Document.h"

#include <QJsonArray>

#include <memory>

class PageSession;

// The document a Chromium page showed when the handle was taken, reached through that
// document's script context: once the page has moved on to another document, every operation
// throws ScriptError(RemoteUnavailable).
class RemoteDocument : public Document {
public:
    // `changeBinding` names the binding through which the page tells of a change while a target
    // is waited for.
    RemoteDocument(std::shared_ptr<PageSession> session, int contextId, DocumentKind kind, QString changeBinding = {});

    DocumentKind kind() const override { return m_kind; }
    std::unique_ptr<Element> body() const override;
    std::unique_ptr<Collection> all() const override;
    std::unique_ptr<Collection> links() const override;
    std::unique_ptr<Collection> getElementsByName(const QString &name) const override;
    std::unique_ptr<Element> getElementById(const QString &id) const override;
    std::unique_ptr<Collection> getElementsByTagName(const QString &tagName) const override;
    void execCommand(const QString &command, bool showUserInterface = false, const QVariant &value = {}) override;
    // One request to the page, whatever the target.
    TargetState targetState(const ActionTarget &target) const override;

private:
    [[nodiscard]] std::unique_ptr<Element> element(const char *function, const QJsonArray &arguments = {}) const;
    [[nodiscard]] std::unique_ptr<Collection> collection(const char *function, const QJsonArray &arguments = {}) const;

    std::shared_ptr<PageSession> m_session;
    int m_contextId;
    DocumentKind m_kind;
    QString m_changeBinding;
};

// The kind of document a MIME type names: HTML for text/html and XHTML.
[[nodiscard]] DocumentKind documentKindOf(const QString &mimeType);
