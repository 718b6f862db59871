#pragma once

#include "browser/builtin/dom/NavigationRequest.h"
#include "browser/builtin/dom/Node.h"
#include "browser/builtin/dom/Url.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>
#include <vector>

namespace dom {

// The selected part of the document: the children [start, end) of one container node.
struct Selection {
    Node *container = nullptr;
    size_t start = 0;
    size_t end = 0;

    [[nodiscard]] bool isEmpty() const { return !container || start >= end; }
};

// A parsed page with everything its elements need: its address, its encoding, the window that
// shows it and the editing selection. Element handles share it, so it lives as long as any
// handle does; nodes removed from the tree are kept until then, as handles may point at them.
class DocumentModel {
public:
    // writtenUrl: the address as its request went out (see writtenUrl), when QUrl's differs.
    DocumentModel(std::unique_ptr<Document> tree, QUrl url, QByteArray encoding, std::weak_ptr<NavigationHost> host,
                  const QString &writtenUrl = {});

    [[nodiscard]] Document &tree() const { return *m_tree; }
    [[nodiscard]] const QUrl &url() const { return m_url; }
    [[nodiscard]] const QByteArray &encoding() const { return m_encoding; }
    // The document's URL as its request went out, escapes as written; none for an address that
    // is no valid URL.
    [[nodiscard]] const std::optional<Url> &address() const { return m_address; }
    // The document base URL: the first <base href>, resolved against the document's address.
    [[nodiscard]] const std::optional<Url> &base() const { return m_base; }
    [[nodiscard]] const QUrl &baseUrl() const { return m_baseUrl; }
    // The URL an attribute's text gives, against the base URL and with its query in the
    // document's encoding, as the document's links, forms and URL properties take it.
    [[nodiscard]] std::optional<Url> resolveUrl(QStringView text) const;
    // The target of the first <base target>, or an empty text.
    [[nodiscard]] const QString &baseTarget() const { return m_baseTarget; }

    // The window that shows the document; throws ScriptError(RemoteUnavailable) when it is gone.
    [[nodiscard]] std::shared_ptr<NavigationHost> host() const;

    [[nodiscard]] Selection &selection() { return m_selection; }

    // Tells the window, if it is still there, what happened to the document.
    void notifyEdited() const;
    void notifyActedOn(const Element &element) const;

    // Replaces the children of a node, keeping the removed ones alive for their handles.
    void replaceChildren(Node &parent, std::vector<std::unique_ptr<Node>> children);
    // Takes in a change of the base elements' attributes.
    void updateBase();

private:
    // Keeps removed nodes alive and updates what depends on the tree.
    void keepRemoved(std::vector<std::unique_ptr<Node>> removed);

    std::unique_ptr<Document> m_tree;
    QUrl m_url;
    QByteArray m_encoding;
    std::weak_ptr<NavigationHost> m_host;
    std::optional<Url> m_address;
    std::optional<Url> m_base;
    QUrl m_baseUrl;
    QString m_baseTarget;
    Selection m_selection;
    std::vector<std::unique_ptr<Node>> m_removed;
};

} // namespace dom
