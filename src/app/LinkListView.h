#pragma once

#include <QObject>

class BrowserCommands;
class CommonDialog;
class Host;
class LinkList;
class QAction;
class QListWidget;

// linkListWidget: shows the link list and the List menu's Hide Link List item and its separator as the
// list model says, and handles the List menu and the clicks on entries.
class LinkListView : public QObject {
    Q_OBJECT
public:
    LinkListView(LinkList &model, QListWidget &linkListWidget, QAction &hideLinkSeparator, QAction &hideLinkAction, CommonDialog &fileDialog,
                 BrowserCommands &browser, Host &host);

    // Appends the lines of a chosen file; a cancelled dialog does nothing.
    void openLinkList();
    // Writes the entries to a chosen file; a cancelled dialog writes nothing.
    void saveLinkList();
    void clearLinkList();
    void hideLinkList();
    void openSelectedLink();
    void openSelectedLinkAndHide();

private:
    void showEntries();
    void showVisibility();
    // Navigates to the selected entry; false when there is none.
    bool navigateToSelected();

    LinkList &m_model;
    QListWidget &m_list;
    QAction &m_separator;
    QAction &m_hideItem;
    CommonDialog &m_dialog;
    BrowserCommands &m_browser;
    Host &m_host;
};
