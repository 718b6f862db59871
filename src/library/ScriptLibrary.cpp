#include "library/ScriptLibrary.h"

#include "engine/Host.h"
#include "library/CommonDialog.h"
#include "library/EditorText.h"
#include "library/LibraryNodes.h"
#include "library/ScriptFileAccess.h"
#include "page/LinkList.h"

#include <QEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTreeWidget>

#include <algorithm>

ScriptLibrary::ScriptLibrary(QTreeWidget &scriptTree, QPlainTextEdit &scriptEditor, CommonDialog &fileDialog,
                             Host &host, LinkList &linkList, QString libraryRoot,
                             std::function<void()> runScript)
    : m_tree(scriptTree)
    , m_editor(scriptEditor)
    , m_dialog(fileDialog)
    , m_host(host)
    , m_linkList(linkList)
    , m_libraryRoot(std::move(libraryRoot))
    , m_runScript(std::move(runScript))
{
    setUpTree();
}

void ScriptLibrary::setUpTree()
{
    m_tree.setColumnCount(1);
    m_tree.setHeaderHidden(true);
    m_tree.setSelectionMode(QAbstractItemView::SingleSelection);
    // The node text alone names the script's file, so the user must not edit it in place.
    m_tree.setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree.setUniformRowHeights(true);
    m_tree.viewport()->installEventFilter(this);
}

bool ScriptLibrary::eventFilter(QObject *watched, QEvent *event)
{
    // The Scripts menu acts on the node selected before the right click, so the press that
    // comes with that click must not select the node under the pointer.
    const bool press = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    if (watched == m_tree.viewport() && press)
        return static_cast<QMouseEvent *>(event)->button() == Qt::RightButton;
    return QObject::eventFilter(watched, event);
}

void ScriptLibrary::loadScripts()
{
    m_linkList.clear();
    m_tree.clear();
    const std::vector<LibraryNode> nodes = libraryNodes(readLibrary(m_libraryRoot));
    QList<QTreeWidgetItem *> folderNodes;
    for (const LibraryNode &node : nodes) {
        auto *item = new QTreeWidgetItem(QStringList{node.text});
        item->setData(0, Qt::UserRole, node.key);
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        if (node.folder < 0)
            folderNodes.append(item);
        else
            folderNodes.at(node.folder)->addChild(item);
    }
    m_tree.addTopLevelItems(folderNodes);
    if (!m_selectedScript.isEmpty())
        selectFirstNodeNamed(m_selectedScript);
}

void ScriptLibrary::loadSelectedScript()
{
    const QTreeWidgetItem *node = selectedNode();
    if (!node || node->childCount() > 0)
        return;
    m_selectedScript = node->text(0);
    if (!node->parent())
        return;
    const QString path = scriptFilePath(*node);
    const std::optional<QString> text = loadScriptText(path);
    if (!text || !settleUnsavedChanges())
        return;
    showScript(path, *text);
    m_dialog.setFileName(path);
}

void ScriptLibrary::showScript(const QString &path, const QString &text)
{
    setEditorText(m_editor, text);
    setScriptFile(path);
}

void ScriptLibrary::setScriptFile(const QString &path)
{
    m_scriptFile = path;
    emit scriptChanged();
}

void ScriptLibrary::runSelectedScript()
{
    const QTreeWidgetItem *node = selectedNode();
    if (node && node->parent())
        m_runScript();
}

void ScriptLibrary::showContextMenu(Qt::MouseButton button, const QPoint &globalPosition, QMenu &scriptsMenu)
{
    if (button == Qt::RightButton)
        scriptsMenu.popup(globalPosition);
}

bool ScriptLibrary::selectFirstNodeNamed(const QString &text)
{
    for (QTreeWidgetItem *node : nodesInOrderAdded()) {
        if (node->text(0) == text) {
            m_tree.setCurrentItem(node);
            return true;
        }
    }
    return false;
}

bool ScriptLibrary::hasNodeNamed(const QString &text) const
{
    const std::vector<QTreeWidgetItem *> nodes = nodesInOrderAdded();
    return std::any_of(nodes.begin(), nodes.end(), [&](const QTreeWidgetItem *node) { return node->text(0) == text; });
}

QTreeWidgetItem *ScriptLibrary::selectedNode() const
{
    const QList<QTreeWidgetItem *> selected = m_tree.selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

std::vector<QTreeWidgetItem *> ScriptLibrary::nodesInOrderAdded() const
{
    std::vector<QTreeWidgetItem *> nodes;
    const int folderCount = m_tree.topLevelItemCount();
    for (int folder = 0; folder < folderCount; ++folder)
        nodes.push_back(m_tree.topLevelItem(folder));
    for (int folder = 0; folder < folderCount; ++folder) {
        const QTreeWidgetItem *folderNode = m_tree.topLevelItem(folder);
        for (int script = 0; script < folderNode->childCount(); ++script)
            nodes.push_back(folderNode->child(script));
    }
    return nodes;
}

QString ScriptLibrary::scriptFilePath(const QTreeWidgetItem &scriptNode) const
{
    return scriptFileIn(m_libraryRoot + QLatin1Char('/') + scriptNode.parent()->text(0), scriptNode.text(0));
}
