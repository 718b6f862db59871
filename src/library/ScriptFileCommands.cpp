// The Scripts menu's file commands: New, Open, Save, Rename, Delete and New Folder.
#include "library/ScriptLibrary.h"

#include "engine/Host.h"
#include "library/CommonDialog.h"
#include "library/EditorText.h"
#include "library/LibraryNodes.h"
#include "library/ScriptFileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTreeWidget>

namespace {

const QString kScriptExtension = QStringLiteral(".txt");

} // namespace

bool ScriptLibrary::settleUnsavedChanges()
{
    if (!m_editor.document()->isModified())
        return true;
    const QString script = m_scriptFile.isEmpty() ? QStringLiteral("The script")
                                                  : QStringLiteral("The script \"%1\"").arg(QFileInfo(m_scriptFile).completeBaseName());
    QMessageBox question(QMessageBox::Warning, programTitle(), script + QStringLiteral(" has changes that are not saved."),
                         QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, m_editor.window());
    question.setInformativeText(QStringLiteral("Save them before it goes?"));
    question.setDefaultButton(QMessageBox::Save);
    switch (question.exec()) {
    case QMessageBox::Save: return saveScript();
    case QMessageBox::Discard: return true;
    default: return false;
    }
}

void ScriptLibrary::newScript()
{
    if (settleUnsavedChanges())
        showScript(QString(), QString());
}

void ScriptLibrary::openScript()
{
    // A cancelled dialog must not read the file it named before over the editor's text.
    if (!m_dialog.showOpen())
        return;
    const QString path = m_dialog.fileName();
    if (path.isEmpty())
        return;
    const std::optional<QString> text = loadScriptText(path);
    if (text && settleUnsavedChanges())
        showScript(path, *text);
}

bool ScriptLibrary::saveScript()
{
    // A cancelled Save changes nothing: rebuilding the tree would also empty the link list.
    if (!m_dialog.showSave())
        return false;
    const QString path = m_dialog.fileName();
    if (path.isEmpty())
        return false;
    if (const std::optional<QString> failure = writeScriptFile(path, editorText(m_editor))) {
        m_host.messageBox(QStringLiteral("The script could not be saved to ") + QDir::toNativeSeparators(path)
                              + QStringLiteral(": ") + *failure,
                          programTitle());
        return false;
    }
    m_editor.document()->setModified(false);
    setScriptFile(path);
    loadScripts();
    return true;
}

void ScriptLibrary::renameSelected()
{
    const QTreeWidgetItem *node = selectedNode();
    if (!node || !node->parent())
        return;
    // Taken before the input box: the tree may be rebuilt while it is open.
    const QFileInfo file(scriptFilePath(*node));
    const QString answer = m_host.inputBox(QStringLiteral("Enter the new filename"), QStringLiteral("Rename"), node->text(0));
    const QString newName = answer + kScriptExtension;
    if (answer.isEmpty() || !isShowableName(newName) || !file.isFile())
        return;
    // A new name that differs only in letter case is not applied.
    const bool renamed = newName.toLower() != file.fileName().toLower();
    if (renamed && !QFile::rename(file.filePath(), file.dir().filePath(newName)))
        return;
    if (renamed && file.filePath() == m_scriptFile)
        setScriptFile(file.dir().filePath(newName));
    loadScripts();
}

void ScriptLibrary::deleteSelected()
{
    QTreeWidgetItem *node = selectedNode();
    if (!node || node->childCount() > 0 || !node->parent())
        return;
    const QString path = scriptFilePath(*node);
    if (!removeScriptFile(path))
        return;
    // The deleted script's text stays in the editor, now of no file.
    if (path == m_scriptFile)
        setScriptFile(QString());
    delete node;
    // Else the tree selects a neighbour, and a second Delete would remove that script too.
    m_tree.clearSelection();
}

void ScriptLibrary::newFolder()
{
    const QString answer = m_host.inputBox(QStringLiteral("What would you like to call this folder?"), programTitle());
    if (!isShowableName(answer))
        return;
    const QString path = m_libraryRoot + QLatin1Char('/') + answer;
    if (dirExists(path) || !QDir().mkdir(path))
        return;
    loadScripts();
}
