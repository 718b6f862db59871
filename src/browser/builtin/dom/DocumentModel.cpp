#include "browser/builtin/dom/DocumentModel.h"

#include "browser/builtin/dom/FormControls.h"
#include "browser/builtin/dom/TreeWalk.h"
#include "browser/builtin/dom/UrlParsing.h"
#include "engine/ScriptError.h"

namespace dom {

DocumentModel::DocumentModel(std::unique_ptr<Document> tree, QUrl url, QByteArray encoding,
                             std::weak_ptr<NavigationHost> host, const QString &writtenUrl)
    : m_tree(std::move(tree))
    , m_url(std::move(url))
    , m_encoding(std::move(encoding))
    , m_host(std::move(host))
    , m_address(Url::parse(writtenUrl.isEmpty() ? m_url.toString(QUrl::FullyEncoded) : writtenUrl))
{
    initialiseControls(*m_tree);
    updateBase();
}

std::optional<Url> DocumentModel::resolveUrl(QStringView text) const
{
    return Url::parse(text, m_base ? &*m_base : nullptr, m_encoding);
}

std::shared_ptr<NavigationHost> DocumentModel::host() const
{
    auto host = m_host.lock();
    if (!host)
        throw ScriptError(RemoteUnavailable);
    return host;
}

void DocumentModel::notifyEdited() const
{
    if (const auto host = m_host.lock())
        host->documentEdited();
}

void DocumentModel::notifyActedOn(const Element &element) const
{
    if (const auto host = m_host.lock())
        host->elementActedOn(element);
}

void DocumentModel::replaceChildren(Node &parent, std::vector<std::unique_ptr<Node>> children)
{
    std::vector<std::unique_ptr<Node>> removed = parent.takeChildren();
    for (auto &child : children)
        parent.appendChild(std::move(child));
    keepRemoved(std::move(removed));
}

void DocumentModel::keepRemoved(std::vector<std::unique_ptr<Node>> removed)
{
    for (auto &node : removed)
        m_removed.push_back(std::move(node));
    updateBase();
}

void DocumentModel::updateBase()
{
    m_base = m_address;
    m_baseTarget.clear();
    bool foundHref = false;
    bool foundTarget = false;
    forEachElement(*m_tree, [&](const Element &element) {
        if (!element.is(QLatin1StringView("base")))
            return Walk::Continue;
        if (const QString *href = element.attribute(u"href"); href && !foundHref) {
            foundHref = true;
            // Browsers read the base address in UTF-8, whatever the document's encoding.
            if (auto url = Url::parse(*href, m_address ? &*m_address : nullptr))
                m_base = std::move(url);
        }
        if (const QString *target = element.attribute(u"target"); target && !foundTarget) {
            foundTarget = true;
            m_baseTarget = *target;
        }
        return foundHref && foundTarget ? Walk::Stop : Walk::Continue;
    });
    m_baseUrl = foundHref && m_base ? toQUrl(*m_base) : m_url;
}

} // namespace dom
