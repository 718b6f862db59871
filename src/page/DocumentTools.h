#pragma once

#include <QtGlobal>

class BrowserAccess;
class Host;
class LinkList;

// The page tools the menus start: listing and pruning the page's links, and zooming the text.
// They never throw: with no browser or no page they do what can be done and nothing else.
class DocumentTools {
public:
    DocumentTools(BrowserAccess &browser, Host &host, LinkList &linkList);

    // Fills the link list with the current page's links and shows it.
    void listLinks();
    // Keeps only the entries that name a "fight&id=" address.
    void traverseLinks();
    // Sets the font of the page's selection.
    void zoomSelection(qint16 Size);
    // Sets the font of the whole page of CurrentDoc and leaves nothing selected.
    void zoomAll(qint16 Size);

private:
    BrowserAccess &m_browser;
    Host &m_host;
    LinkList &m_linkList;
};
