#include "app/LinkListView.h"

#include "app/BrowserCommands.h"
#include "app/LinkListFile.h"
#include "engine/Host.h"
#include "library/CommonDialog.h"
#include "page/LinkList.h"

#include <QAction>
#include <QFileInfo>
#include <QListWidget>

LinkListView::LinkListView(LinkList &model, QListWidget &linkListWidget, QAction &hideLinkSeparator, QAction &hideLinkAction,
                           CommonDialog &fileDialog, BrowserCommands &browser, Host &host)
    : m_model(model)
    , m_list(linkListWidget)
    , m_separator(hideLinkSeparator)
    , m_hideItem(hideLinkAction)
    , m_dialog(fileDialog)
    , m_browser(browser)
    , m_host(host)
{
    connect(&m_model, &LinkList::entriesChanged, this, &LinkListView::showEntries);
    connect(&m_model, &LinkList::visibilityChanged, this, &LinkListView::showVisibility);
    connect(&m_list, &QListWidget::itemClicked, this, &LinkListView::openSelectedLink);
    connect(&m_list, &QListWidget::itemDoubleClicked, this, &LinkListView::openSelectedLinkAndHide);
    showEntries();
    showVisibility();
}

void LinkListView::showEntries()
{
    m_list.clear();
    m_list.addItems(m_model.entries());
}

void LinkListView::showVisibility()
{
    m_list.setVisible(m_model.isVisible());
    if (m_model.isVisible())
        m_list.raise();
    m_separator.setVisible(m_model.isSeparatorVisible());
    m_hideItem.setVisible(m_model.isHideItemVisible());
}

void LinkListView::openLinkList()
{
    if (!m_dialog.showOpen())
        return;
    const QString path = m_dialog.fileName();
    if (!QFileInfo(path).isFile())
        return;
    const auto entries = readLinkFile(path);
    if (!entries) {
        m_host.messageBox(QStringLiteral("The link list %1 could not be read.").arg(path), QStringLiteral("NavRelay"));
        return;
    }
    m_model.append(*entries);
}

void LinkListView::saveLinkList()
{
    if (!m_dialog.showSave())
        return;
    const QString path = m_dialog.fileName();
    if (!writeLinkFile(path, m_model.entries()))
        m_host.messageBox(QStringLiteral("The link list could not be saved to %1.").arg(path), QStringLiteral("NavRelay"));
}

void LinkListView::clearLinkList()
{
    m_model.clear();
}

void LinkListView::hideLinkList()
{
    m_model.hide();
}

bool LinkListView::navigateToSelected()
{
    const QListWidgetItem *item = m_list.currentItem();
    if (!item)
        return false;
    m_list.setToolTip(item->text());
    m_browser.navigate(item->text());
    return true;
}

void LinkListView::openSelectedLink()
{
    navigateToSelected();
}

void LinkListView::openSelectedLinkAndHide()
{
    if (navigateToSelected())
        m_model.hideListOnly();
}
