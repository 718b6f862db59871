#include "LibraryFixture.h"

#include <QDir>
#include <QStandardPaths>

#include <sys/stat.h>

namespace {

// Points the desktop's trash at a folder of the test for as long as it lives.
class TrashInFolder {
public:
    explicit TrashInFolder(const QString &home)
    {
        qputenv("HOME", QFile::encodeName(home));
        qputenv("XDG_DATA_HOME", QFile::encodeName(home + QStringLiteral("/.local/share")));
    }
    ~TrashInFolder()
    {
        restore("HOME", m_home);
        restore("XDG_DATA_HOME", m_dataHome);
    }

private:
    static std::optional<QByteArray> saved(const char *name)
    {
        return qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
    }
    static void restore(const char *name, const std::optional<QByteArray> &value)
    {
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }

    std::optional<QByteArray> m_home = saved("HOME");
    std::optional<QByteArray> m_dataHome = saved("XDG_DATA_HOME");
};

TEST_F(LibraryTest, NewEmptiesTheEditorOnly)
{
    writeFile("Web/Login.txt", "beep");
    library.loadScripts();
    click("Login");
    library.newScript();
    EXPECT_EQ(editor(), "");
    EXPECT_EQ(selectedText(), "Login");
    EXPECT_EQ(dialog.name, pathOf("Web/Login.txt"));
}

TEST_F(LibraryTest, OpenLoadsTheChosenFileAndACancelledOpenDoesNothing)
{
    writeFile("Web/Login.txt", "old");
    writeFile("Elsewhere.scr", "nav;x\r\n");
    library.loadScripts();
    click("Login");
    setEditorText(scriptEditor, QStringLiteral("unsaved"));

    library.openScript(); // cancelled: the file named before is not read again
    EXPECT_EQ(editor(), "unsaved");
    // Neither a pipe (its reading would wait for a writer) nor a text too long for the editor.
    ASSERT_EQ(::mkfifo(QFile::encodeName(pathOf("Pipe.txt")).constData(), 0600), 0);
    writeFile("Huge.txt", QByteArray("beep\r\n").repeated(kMaxScriptLength / 6 + 1));
    writeFile("LongLine.txt", "beep\r\n" + QByteArray(kMaxLineLength + 1, 'x') + "\r\nbeep");
    QFile zeros(pathOf("Zeros.txt"));
    ASSERT_TRUE(zeros.open(QIODevice::WriteOnly) && zeros.resize(1 << 20));
    zeros.close();
    for (const QString &notAFile : {pathOf("Web"), pathOf("Missing.txt"), QString(), pathOf("Pipe.txt"),
                                    pathOf("Huge.txt"), pathOf("LongLine.txt"), pathOf("Zeros.txt")}) {
        dialog.chosen = notAFile;
        library.openScript();
        EXPECT_EQ(editor(), "unsaved") << notAFile.toStdString();
    }
    dialog.chosen = pathOf("Elsewhere.scr");
    library.openScript();
    EXPECT_EQ(editor(), "nav;x");
    EXPECT_EQ(library.selectedScript(), "Login");
    EXPECT_EQ(dialog.shown, 9);

    writeFile("Longest.txt", QByteArray(kMaxLineLength, 'x') + "\r\nbeep");
    dialog.chosen = pathOf("Longest.txt");
    library.openScript();
    EXPECT_EQ(lineCount(editor()), 2);
}

TEST_F(LibraryTest, SaveWritesTheEditorTextAndOneCrLfThenRebuildsTheTree)
{
    makeFolder("Web");
    library.loadScripts();
    setEditorText(scriptEditor, QStringLiteral("a\r\nb"));
    linkList.append(QStringLiteral("http://kept/"));

    dialog.name = pathOf("Web/Kept.txt");
    library.saveScript(); // cancelled: nothing written, the tree and link list kept
    EXPECT_FALSE(QFileInfo::exists(pathOf("Web/Kept.txt")));
    EXPECT_EQ(linkList.entries().size(), 1);

    dialog.chosen = pathOf("Web/New.txt");
    library.saveScript();
    EXPECT_EQ(fileBytes("Web/New.txt"), QByteArray("a\r\nb\r\n"));
    EXPECT_EQ(texts(), (QStringList{"Web", "New"}));
    EXPECT_TRUE(linkList.entries().isEmpty());
    setEditorText(scriptEditor, QString());
    click("New");
    EXPECT_EQ(editor(), "a\r\nb");

    // New, then Save of the proposed name replaces the file last loaded.
    library.newScript();
    dialog.chosen = dialog.name;
    library.saveScript();
    EXPECT_EQ(fileBytes("Web/New.txt"), QByteArray("\r\n"));
    EXPECT_EQ(selectedText(), "New");
    EXPECT_TRUE(host.messages.empty());

    dialog.chosen = pathOf("Missing/New.txt");
    library.saveScript();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].title, "NavRelay");
    EXPECT_FALSE(QFileInfo::exists(pathOf("Missing")));
}

TEST_F(LibraryTest, RenameAppliesANewNameButNotALetterCaseChange)
{
    writeFile("Web/Login.txt", "beep");
    writeFile("Web/Taken.txt", "taken");
    library.loadScripts();
    click("Login");

    host.inputAnswer = QStringLiteral("LOGIN");
    linkList.append(QStringLiteral("http://a/"));
    library.renameSelected();
    EXPECT_EQ(host.prompts, (QStringList{"Enter the new filename|Rename|Login"}));
    EXPECT_EQ(fileBytes("Web/Login.txt"), "beep");
    EXPECT_TRUE(linkList.entries().isEmpty()); // rebuilt
    EXPECT_EQ(selectedText(), "Login");

    for (const QString &refused : {QString(), QStringLiteral("Taken"), QStringLiteral("../Out"), QStringLiteral(".hidden")}) {
        host.inputAnswer = refused;
        linkList.append(QStringLiteral("http://a/"));
        library.renameSelected();
        EXPECT_EQ(fileBytes("Web/Login.txt"), "beep") << refused.toStdString();
        EXPECT_EQ(linkList.entries().size(), 1) << refused.toStdString(); // not rebuilt
        linkList.clear();
    }
    EXPECT_FALSE(QFileInfo::exists(pathOf("Out.txt")));
    EXPECT_EQ(fileBytes("Web/Taken.txt"), "taken");

    host.inputAnswer = QStringLiteral("Logon");
    library.renameSelected();
    EXPECT_FALSE(QFileInfo::exists(pathOf("Web/Login.txt")));
    EXPECT_EQ(fileBytes("Web/Logon.txt"), "beep");
    EXPECT_EQ(texts(), (QStringList{"Web", "Logon", "Taken"}));
    EXPECT_EQ(library.scriptFile(), pathOf("Web/Logon.txt")) << "the editor's script follows its file";
    EXPECT_EQ(selectedText(), "<none>");
    EXPECT_EQ(library.selectedScript(), "Login");

    const qsizetype asked = host.prompts.size();
    tree.setCurrentItem(node("Web"));
    library.renameSelected();
    EXPECT_EQ(host.prompts.size(), asked);
}

TEST_F(LibraryTest, DeleteTrashesTheScriptAndRemovesOnlyItsNode)
{
    const TrashInFolder trash(m_folder.path());
    writeFile("Mail/Send.txt", "send");
    writeFile("Web/Login.txt", "login");
    writeFile("Web/Search.txt", "search");
    makeFolder("Empty");
    library.loadScripts();

    library.deleteSelected(); // nothing selected
    tree.setCurrentItem(node("Web"));
    library.deleteSelected();
    tree.setCurrentItem(node("Empty"));
    library.deleteSelected();
    EXPECT_EQ(keys().size(), 6);
    EXPECT_TRUE(QFileInfo(pathOf("Empty")).isDir());

    click("Login");
    library.deleteSelected();
    EXPECT_EQ(keys(), (QStringList{"Empty", "Mail", "Web", "child_3Send.txt", "child_5Search.txt"}));
    EXPECT_FALSE(QFileInfo::exists(pathOf("Web/Login.txt")));
    QFile trashed(m_folder.path() + QStringLiteral("/.local/share/Trash/files/Login.txt"));
    ASSERT_TRUE(trashed.open(QIODevice::ReadOnly));
    EXPECT_EQ(trashed.readAll(), "login");
    EXPECT_EQ(editor(), "login");
    EXPECT_EQ(library.scriptFile(), "") << "the text stays, of no file";
    EXPECT_EQ(selectedText(), "<none>"); // a second Delete removes nothing more
    library.deleteSelected();
    EXPECT_EQ(keys().size(), 5);

    writeFile("NotAFolder", "");
    const TrashInFolder noTrash(pathOf("NotAFolder")); // no trash can be made there: deleted
    click("Search");
    library.deleteSelected();
    EXPECT_FALSE(QFileInfo::exists(pathOf("Web/Search.txt")));
    EXPECT_EQ(keys(), (QStringList{"Empty", "Mail", "Web", "child_3Send.txt"}));
    EXPECT_FALSE(QFileInfo::exists(QDir::current().filePath(QStringLiteral("files/Search.txt"))));
}

TEST_F(LibraryTest, NewFolderCreatesAScriptFolderOnceAndNeverOutsideTheLibrary)
{
    makeFolder("Web");
    library.loadScripts();
    host.inputAnswer = QStringLiteral("Tools");
    library.newFolder();
    EXPECT_EQ(host.prompts, (QStringList{"What would you like to call this folder?|NavRelay|"}));
    EXPECT_EQ(texts(), (QStringList{"Tools", "Web"}));
    EXPECT_EQ(tree.topLevelItem(0)->childCount(), 0);

    for (const QString &refused : {QStringLiteral("Tools"), QString(), QStringLiteral("../Out"), QStringLiteral(".hidden")}) {
        host.inputAnswer = refused;
        linkList.append(QStringLiteral("http://kept/"));
        library.newFolder();
        EXPECT_EQ(linkList.entries().size(), 1) << refused.toStdString();
        linkList.clear();
    }
    EXPECT_FALSE(QFileInfo::exists(m_folder.path() + QStringLiteral("/Out")));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(LibraryTest, DirExistsAnswersWithoutChangingTheCurrentDirectory)
{
    writeFile("Web/Login.txt", "");
    const QString before = QDir::currentPath();
    const struct {
        QString path;
        bool exists;
    } cases[] = {{root(), true}, {pathOf("Web"), true}, {pathOf("Web/Login.txt"), false}, {pathOf("Gone"), false}, {QString(), false}};
    for (const auto &entry : cases)
        EXPECT_EQ(dirExists(entry.path), entry.exists) << entry.path.toStdString();
    EXPECT_EQ(QDir::currentPath(), before);
}

TEST_F(LibraryTest, FirstRunCreatesDefaultOnlyWhenTheLibraryIsMissing)
{
    // A build's folder is writable, so the library belongs beside it; an installed program's
    // library is the user's own, even when the program could write beside itself.
    const QString build = m_folder.path() + QStringLiteral("/build");
    const QString prefix = m_folder.path() + QStringLiteral("/usr");
    ASSERT_TRUE(QDir().mkpath(build) && QDir().mkpath(prefix + QStringLiteral("/bin"))
                && QDir().mkpath(prefix + QStringLiteral("/share/navrelay")));
    const QString perUser = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/Scripts");
    EXPECT_EQ(defaultLibraryRoot(build), build + QStringLiteral("/Scripts"));
    EXPECT_EQ(defaultLibraryRoot(prefix + QStringLiteral("/bin")), perUser);
    ASSERT_TRUE(QDir().mkpath(prefix + QStringLiteral("/bin/Scripts")));
    EXPECT_EQ(defaultLibraryRoot(prefix + QStringLiteral("/bin")), perUser) << "a library left there earlier stays unused";
    ASSERT_TRUE(QDir().mkpath(prefix + QStringLiteral("/portable")));
    EXPECT_EQ(defaultLibraryRoot(prefix + QStringLiteral("/portable")), prefix + QStringLiteral("/portable/Scripts"));

    createFirstRunLibrary(root());
    EXPECT_EQ(fileBytes("Default/Default.txt"), QByteArray("Beep\r\n"));
    library.loadScripts();
    EXPECT_EQ(texts(), (QStringList{"Default", "Default"}));

    ASSERT_TRUE(QDir(pathOf("Default")).removeRecursively());
    createFirstRunLibrary(root());
    EXPECT_FALSE(QFileInfo::exists(pathOf("Default")));

    const QString nested = m_folder.path() + QStringLiteral("/data/NavRelay/Scripts");
    createFirstRunLibrary(nested);
    EXPECT_TRUE(QFileInfo::exists(nested + QStringLiteral("/Default/Default.txt")));
}

} // namespace
