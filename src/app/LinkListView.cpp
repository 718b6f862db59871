#include "app/LinkListView.h"

#include "app/BrowserCommands.h"
#include "app/LinkListFile.h"
#include "engine/Host.h"
#include "library/CommonDialog.h"
#include "page/LinkList.h"

#include <QAction>
#include <QFileInfo>
#include <QListWidget>

LinkListView::LinkListView(LinkList &model, QListWidget &lstURL, QAction &m08, QAction &mHideLink,
                           CommonDialog &CDL1, BrowserCommands &browser, Host &host)
    : m_model(model)
    , m_list(lstURL)
    , m_separator(m08)
    , m_hideItem(mHideLink)
    , m_dialog(CDL1)
    , m_browser(browser)
    , m_host(host)
{
    connect(&m_model, &LinkList::entriesChanged, this, &LinkListView::showEntries);
    connect(&m_model, &LinkList::visibilityChanged, this, &LinkListView::showVisibility);
    connect(&m_list, &QListWidget::itemClicked, this, &LinkListView::lstURL_Click);
    connect(&m_list, &QListWidget::itemDoubleClicked, this, &LinkListView::lstURL_DblClick);
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

void LinkListView::mOpenList_Click()
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

void LinkListView::mSaveList_Click()
{
    if (!m_dialog.showSave())
        return;
    const QString path = m_dialog.fileName();
    if (!writeLinkFile(path, m_model.entries()))
        m_host.messageBox(QStringLiteral("The link list could not be saved to %1.").arg(path), QStringLiteral("NavRelay"));
}

void LinkListView::mClearList_Click()
{
    m_model.clear();
}

void LinkListView::mHideLink_Click()
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

void LinkListView::lstURL_Click()
{
    navigateToSelected();
}

void LinkListView::lstURL_DblClick()
{
    if (navigateToSelected())
        m_model.hideListOnly();
}
