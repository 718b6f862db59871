#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class CommonDialog;
class Host;
class LinkList;
class QMenu;
class QPlainTextEdit;
class QPoint;
class QTreeWidget;
class QTreeWidgetItem;

// The Scripts library shown as a two-level tree (folders, then their scripts), the commands of
// the Scripts menu that work on script files, and the repeat generators of the editor.
// The owner connects the tree's itemClicked, itemDoubleClicked and right-button release to the
// three scriptTree handlers; the library sets the tree up (one column, single selection, no label
// editing) and keeps a right-button press from moving the selection.
class ScriptLibrary : public QObject {
    Q_OBJECT
public:
    // runScript is the main window's Run: it runs the editor text.
    ScriptLibrary(QTreeWidget &scriptTree, QPlainTextEdit &scriptEditor, CommonDialog &fileDialog, Host &host,
                  LinkList &linkList, QString libraryRoot, std::function<void()> runScript);

    [[nodiscard]] const QString &libraryRoot() const { return m_libraryRoot; }
    [[nodiscard]] const QString &selectedScript() const { return m_selectedScript; }
    // The file the editor's script was last loaded from or saved to; empty for a new script.
    [[nodiscard]] const QString &scriptFile() const { return m_scriptFile; }
    // Before the editor's text goes (another script loaded over it, the window closed): a text
    // with unsaved changes asks Save, Discard or Cancel. True when the text may go: it was
    // saved, discarded or not changed; false when the user keeps it.
    [[nodiscard]] bool settleUnsavedChanges();

    void loadScripts();
    void loadSelectedScript();
    void runSelectedScript();
    // A right click pops up the Scripts menu at the pointer; the selection does not move.
    void showContextMenu(Qt::MouseButton button, const QPoint &globalPosition, QMenu &scriptsMenu);
    // Selects the first node, in the order nodes were added, whose text is exactly the given
    // one, without loading it; false when there is none.
    bool selectFirstNodeNamed(const QString &text);
    [[nodiscard]] bool hasNodeNamed(const QString &text) const;

    void newScript();
    void openScript();
    // True when the editor's text was written to a file.
    bool saveScript();
    void renameSelected();
    void deleteSelected();
    void newFolder();
    void repeatLastLine();
    void repeatWholeText();

    // The caption of the program's own message and input boxes.
    [[nodiscard]] static QString programTitle() { return QStringLiteral("NavRelay"); }

signals:
    // The editor shows another script, or the file of its script changed.
    void scriptChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class RepeatPiece { LastLine, WholeText };

    void setUpTree();
    void repeat(RepeatPiece piece);
    [[nodiscard]] QTreeWidgetItem *selectedNode() const;
    [[nodiscard]] std::vector<QTreeWidgetItem *> nodesInOrderAdded() const;
    // The file a script node stands for: its folder, its text and ".txt".
    [[nodiscard]] QString scriptFilePath(const QTreeWidgetItem &scriptNode) const;
    // The editor shows this file's text, unchanged.
    void showScript(const QString &path, const QString &text);
    void setScriptFile(const QString &path);

    QTreeWidget &m_tree;
    QPlainTextEdit &m_editor;
    CommonDialog &m_dialog;
    Host &m_host;
    LinkList &m_linkList;
    QString m_libraryRoot;
    std::function<void()> m_runScript;
    QString m_selectedScript;
    QString m_scriptFile;
};

// True when the folder exists; never changes the process's current directory.
[[nodiscard]] bool dirExists(const QString &folder);
// A program installed under a prefix: it lies in PREFIX/bin, beside PREFIX/share/navrelay.
[[nodiscard]] bool installedUnderPrefix(const QString &programFolder);
// Where the Scripts library of the program in that folder lives: for an installed program under
// the per-user data folder; for a build or a portable copy beside the program when that folder
// already holds "Scripts" or is writable, else under the per-user data folder.
[[nodiscard]] QString defaultLibraryRoot(const QString &programFolder);
// Creates the library root with Default/Default.txt ("Beep") when the root is missing.
void createFirstRunLibrary(const QString &libraryRoot);
