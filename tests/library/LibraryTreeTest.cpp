#include "LibraryFixture.h"

#include "engine/ScriptFile.h"
#include "library/LibraryNodes.h"

#include <QMenu>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

namespace {

TEST(LibraryNodes, KeysCountTheNodesAddedBeforeAndTextsDropTheLastFourCharacters)
{
    const std::vector<LibraryNode> nodes = libraryNodes({{"Web", {"Login.txt", "Search.txt"}}, {"Mail", {"Send.txt"}}});
    QStringList keys;
    QStringList texts;
    std::vector<int> folders;
    for (const LibraryNode &node : nodes) {
        keys << node.key;
        texts << node.text;
        folders.push_back(node.folder);
    }
    EXPECT_EQ(keys, (QStringList{"Web", "Mail", "child_2Login.txt", "child_3Search.txt", "child_4Send.txt"}));
    EXPECT_EQ(texts, (QStringList{"Web", "Mail", "Login", "Search", "Send"}));
    EXPECT_EQ(folders, (std::vector<int>{-1, -1, 0, 0, 1}));

    const struct {
        QString fileName;
        std::optional<QString> text;
    } cases[] = {
        {"Notes.doc", "Notes"}, {"README", "RE"}, {"Login.txt.txt", "Login.txt"},
        {"abcd", std::nullopt}, {"a.t", std::nullopt}, {"", std::nullopt},
        {QString::fromUtf8("Log\U0001F600.txt"), QString::fromUtf8("Log\U0001F600")},
        {QString::fromUtf8("ab\U0001F600\U0001F600\U0001F600"), QString::fromUtf8("a")},
    };
    for (const auto &entry : cases)
        EXPECT_EQ(scriptNodeText(entry.fileName), entry.text) << entry.fileName.toStdString();
}

TEST(LibraryNodes, TheTreeHoldsAtMost32767NodesAndSkipsNamesWithoutText)
{
    QStringList many;
    for (int i = 0; i < 40000; ++i)
        many << QStringLiteral("s%1.txt").arg(i, 5, 10, QLatin1Char('0'));
    const std::vector<LibraryNode> nodes = libraryNodes({{"A", {"abc", "x.txt"}}, {"B", many}});
    ASSERT_EQ(nodes.size(), size_t(kMaxNodes));
    EXPECT_EQ(nodes[2].key, "child_2x.txt");
    EXPECT_EQ(nodes[3].key, "child_3s00000.txt");
    EXPECT_EQ(nodes.back().key, "child_32766s32763.txt");
}

TEST_F(LibraryTest, LoadScriptsShowsScriptFoldersSortedByNameAndOnlyTheFilesInThem)
{
    writeFile("Web/Login.txt", "nav;x\r\nsleep;2\r\n");
    writeFile("Web/alpha.txt", "");
    writeFile("Web/Notes.doc", "");
    writeFile("Web/.Login.txt.swp", "");
    writeFile("Web/Deeper/Inner.txt", "");
    writeFile("Mail/Send.txt", "");
    writeFile("Top.txt", "");
    makeFolder(".git");
    makeFolder("Empty");
    linkList.append(QStringLiteral("http://a/"));
    tree.show();

    library.loadScripts();

    EXPECT_EQ(keys(), (QStringList{"Empty", "Mail", "Web", "child_3Send.txt", "child_4alpha.txt",
                                   "child_5Login.txt", "child_6Notes.doc"}));
    EXPECT_EQ(texts(), (QStringList{"Empty", "Mail", "Web", "Send", "alpha", "Login", "Notes"}));
    EXPECT_TRUE(linkList.entries().isEmpty());
    EXPECT_EQ(selectedText(), "<none>");
    EXPECT_EQ(tree.editTriggers(), QAbstractItemView::NoEditTriggers);
    for (const QTreeWidgetItem *item : nodes()) {
        EXPECT_FALSE(item->isExpanded()) << item->text(0).toStdString();
        EXPECT_FALSE(item->flags() & Qt::ItemIsEditable) << item->text(0).toStdString();
    }
}

TEST_F(LibraryTest, ClickLoadsTheScriptOrFailsQuietlyKeepingTheEditor)
{
    writeFile("Web/Login.txt", "nav;x\r\nsleep;2\r\n");
    writeFile("Web/Unix.txt", "a\nb\n");
    writeFile("Web/Shout.TXT", "beep");
    writeFile("Web/Notes.doc", "not read");
    makeFolder("Empty");
    library.loadScripts();
    dialog.name = QStringLiteral("start");

    click("Login");
    EXPECT_EQ(editor(), "nav;x\r\nsleep;2");
    EXPECT_EQ(library.selectedScript(), "Login");
    EXPECT_EQ(dialog.name, pathOf("Web/Login.txt"));

    click("Notes"); // stands for Notes.txt, which is missing
    EXPECT_EQ(editor(), "nav;x\r\nsleep;2");
    EXPECT_EQ(library.selectedScript(), "Notes");
    EXPECT_EQ(dialog.name, pathOf("Web/Login.txt"));

    click("Web"); // a folder with scripts
    EXPECT_EQ(library.selectedScript(), "Notes");
    click("Empty");
    EXPECT_EQ(library.selectedScript(), "Empty");
    EXPECT_EQ(editor(), "nav;x\r\nsleep;2");

    click("Unix");
    EXPECT_EQ(editor(), "a\r\nb");
    click("Shout"); // the extension's letter case does not hide the file
    EXPECT_EQ(editor(), "beep");
    EXPECT_EQ(dialog.name, pathOf("Web/Shout.TXT"));

    tree.clearSelection();
    library.loadSelectedScript();
    EXPECT_EQ(library.selectedScript(), "Shout");
}

TEST_F(LibraryTest, RebuildSelectsTheFirstNodeOfTheSelectedTextWithoutReloadingIt)
{
    writeFile("A/Same.txt", "from A");
    writeFile("B/Same.txt", "from B");
    writeFile("B/Other.txt", "other");
    writeFile("Login/x.txt", "");
    writeFile("B/Login.txt", "");
    library.loadScripts();

    tree.setCurrentItem(node("B")->child(2));
    library.loadSelectedScript();
    EXPECT_EQ(editor(), "from B");
    setEditorText(scriptEditor, QStringLiteral("edited"));
    library.loadScripts();
    ASSERT_EQ(selectedText(), "Same");
    EXPECT_EQ(tree.selectedItems().first()->parent()->text(0), "A");
    EXPECT_EQ(editor(), "edited");

    tree.setCurrentItem(node("B")->child(0));
    library.loadSelectedScript();
    EXPECT_EQ(library.selectedScript(), "Login");
    library.loadScripts(); // the folder Login comes before the script of that name
    EXPECT_EQ(tree.selectedItems().first()->parent(), nullptr);

    QDir(pathOf("Login")).removeRecursively();
    QFile::remove(pathOf("B/Login.txt"));
    library.loadScripts();
    EXPECT_EQ(selectedText(), "<none>");
}

TEST_F(LibraryTest, DoubleClickRunsScriptNodesOnly)
{
    writeFile("Web/Login.txt", "beep");
    library.loadScripts();
    library.runSelectedScript();
    tree.setCurrentItem(node("Web"));
    library.runSelectedScript();
    EXPECT_EQ(runs, 0);
    tree.setCurrentItem(node("Login"));
    library.runSelectedScript();
    EXPECT_EQ(runs, 1);
}

TEST_F(LibraryTest, RightClickPopsUpTheMenuAndLeavesTheSelection)
{
    writeFile("Web/Login.txt", "");
    writeFile("Web/Search.txt", "");
    library.loadScripts();
    tree.show();
    tree.expandAll();
    click("Login");

    const QPoint onSearch = tree.visualItemRect(node("Search")).center();
    QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, onSearch);
    EXPECT_EQ(selectedText(), "Login");

    QMenu scriptsMenu;
    scriptsMenu.addAction(QStringLiteral("Run"));
    library.showContextMenu(Qt::LeftButton, tree.viewport()->mapToGlobal(onSearch), scriptsMenu);
    EXPECT_FALSE(scriptsMenu.isVisible());
    library.showContextMenu(Qt::RightButton, tree.viewport()->mapToGlobal(onSearch), scriptsMenu);
    EXPECT_TRUE(scriptsMenu.isVisible());
    scriptsMenu.close();
    EXPECT_EQ(selectedText(), "Login");

    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, onSearch);
    EXPECT_EQ(selectedText(), "Search");
}

TEST_F(LibraryTest, NamesTheTreeCannotShowAndBinaryFilesNeverFail)
{
    const QString longName = QString(251, QLatin1Char('x')) + QStringLiteral(".txt");
    writeFile("Odd/" + longName, "beep");
    writeFile("Odd/abc", "");
    writeFile("Odd/abcd", "");
    const QByteArray binary("\x00\x01\xff\xfe\r\n\x7f", 7);
    writeFile("Odd/Binary.txt", binary);
    const QByteArray invalid = QFile::encodeName(pathOf("Odd/")) + QByteArray("\xff\xfe-bad.txt");
    const int descriptor = ::open(invalid.constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(descriptor, 0);
    ::close(descriptor);

    library.loadScripts();
    EXPECT_EQ(texts(), (QStringList{"Odd", "Binary", longName.chopped(4)}));

    click(longName.chopped(4));
    EXPECT_EQ(editor(), "beep");
    click("Binary");
    EXPECT_EQ(editor(), scriptTextFromBytes(binary));
    EXPECT_EQ(editor().at(0), QChar(0));
    EXPECT_EQ(::unlink(invalid.constData()), 0);
}

TEST_F(LibraryTest, ALibraryFolderThatVanishesWhileShownNeverFails)
{
    writeFile("Web/Login.txt", "beep");
    writeFile("Web/Search.txt", "search");
    library.loadScripts();
    click("Search");
    ASSERT_TRUE(QDir(root()).removeRecursively());

    click("Login");
    EXPECT_EQ(editor(), "search");
    host.inputAnswer = QStringLiteral("Logon");
    library.renameSelected();
    library.deleteSelected();
    EXPECT_EQ(texts(), (QStringList{"Web", "Login", "Search"}));
    library.newFolder();
    EXPECT_FALSE(QFileInfo::exists(root()));
    dialog.chosen = pathOf("Web/Login.txt");
    library.saveScript();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_TRUE(host.messages[0].text.startsWith("The script could not be saved to ")) << host.messages[0].text.toStdString();

    library.loadScripts();
    EXPECT_TRUE(nodes().isEmpty());
}

} // namespace
