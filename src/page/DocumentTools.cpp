#include "page/DocumentTools.h"

#include "engine/BrowserWindow.h"
#include "engine/BrowserAccess.h"
#include "engine/Host.h"
#include "page/CurrentDoc.h"
#include "page/Document.h"
#include "page/LinkList.h"
#include "page/PageZoom.h"

namespace {

const QString kTraversedAddress = QStringLiteral("fight&id=");

} // namespace

DocumentTools::DocumentTools(BrowserAccess &browser, Host &host, LinkList &linkList)
    : m_browser(browser)
    , m_host(host)
    , m_linkList(linkList)
{
}

void DocumentTools::listLinks()
{
    m_linkList.clear();
    QStringList addresses;
    try {
        // No browser, no page or a page that is not HTML all list nothing.
        auto document = m_browser.window().document();
        if (document && document->kind() != DocumentKind::Html)
            throw ScriptError(TypeMismatch);
        CurrentDoc = std::move(document);
        if (CurrentDoc) {
            const auto links = CurrentDoc->links();
            const int length = links->length();
            for (int index = 0; index < length; ++index) {
                if (const auto link = links->item(index))
                    addresses.append(link->href());
            }
        }
    } catch (const ScriptError &) {
    }
    m_linkList.append(addresses);
    m_host.setStatusText(QStringLiteral("%1 HREF's found in the current document.").arg(m_linkList.entries().size()));
    m_linkList.show();
}

void DocumentTools::traverseLinks()
{
    for (qsizetype position = m_linkList.entries().size() - 1; position >= 0; --position) {
        if (!m_linkList.entries().at(position).toLower().contains(kTraversedAddress))
            m_linkList.removeAt(position);
    }
}

void DocumentTools::zoomSelection(qint16 Size)
{
    // Without a browser or an HTML page there is nothing to zoom: the command does nothing.
    try {
        auto document = m_browser.window().document();
        Document &html = asHtmlDocument(document);
        CurrentDoc = std::move(document);
        zoomSelectionOf(html, Size);
    } catch (const ScriptError &) {
    }
}

void DocumentTools::zoomAll(qint16 Size)
{
    try {
        zoomWholePage(asHtmlDocument(CurrentDoc), m_browser.window(), Size);
    } catch (const ScriptError &) {
    }
}
