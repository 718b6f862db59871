#include "AppTesting.h"
#include "QtWait.h"
#include "QtPrinters.h"

#include "app/FileDialog.h"
#include "app/Twips.h"
#include "app/WindowPosition.h"
#include "browser/Automation.h"
#include "browser/builtin/BuiltinWindow.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>

namespace {

// A menu's items as "name:Caption|Shortcut|checked" ("-" for a separator), hidden ones in brackets.
QStringList describe(const QMenu &menu)
{
    QStringList items;
    for (const QAction *item : menu.actions()) {
        QString text = item->isSeparator() ? QStringLiteral("-") : item->objectName() + QLatin1Char(':') + item->text();
        if (!item->shortcut().isEmpty())
            text += QLatin1Char('|') + item->shortcut().toString();
        if (item->isChecked())
            text += QStringLiteral("|checked");
        items.append(item->isVisible() ? text : QLatin1Char('(') + text + QLatin1Char(')'));
    }
    return items;
}

QRect twipsFrame(const QWidget &window)
{
    const int dpi = logicalDpi(window);
    const QRect frame = window.frameGeometry();
    return {pixelsToTwips(frame.left(), dpi), pixelsToTwips(frame.top(), dpi), pixelsToTwips(frame.width(), dpi),
            pixelsToTwips(frame.height(), dpi)};
}

QSize designedClientSize(const QWidget &window)
{
    const int dpi = logicalDpi(window);
    return {twipsToPixels(MainWindow::kDesignedClientWidth, dpi), twipsToPixels(MainWindow::kDesignedClientHeight, dpi)};
}

} // namespace

TEST_F(AppTest, MenusHaveTheirCaptionsOrderShortcutsChecksAndVisibility)
{
    start();
    QStringList titles;
    for (const QAction *item : window->menuBar()->actions())
        titles.append(item->objectName() + QLatin1Char('=') + item->text());
    EXPECT_EQ(titles, (QStringList{"listMenu=&List", "windowMenu=&IE", "documentMenu=&Doc", "scriptsMenu=&Scripts",
                                   "settingsMenu=S&ettings", "helpMenu=&Help"}));

    const std::pair<const char *, QStringList> menus[] = {
        {"listMenu", {"openListAction:&Open", "saveListAction:&Save", "clearListAction:&Clear", "(-)", "(hideLinkAction:&Hide Link List)"}},
        {"windowMenu", {"toolbarsAction:&Toolbars|checked"}},
        {"documentMenu", {"closeAllAction:&Close All", "linksAction:&Links", "formsAction:&Forms", "traverseLinksAction:&Traverse Links"}},
        {"scriptsMenu", {"runAction:&Run|F5", "resetAction:R&eset", "-", "newScriptAction:&New", "openScriptAction:&Open|Ctrl+O",
                      "saveScriptAction:Sa&ve|Ctrl+S", "renameAction:Rena&me", "deleteAction:&Delete", "-", "newFolderAction:Ne&w Folder",
                      "-", "repeatLastAction:Repeat &Last", "repeatAllAction:Repeat &All", "-", "stopAction:&Stop|Shift+F5",
                      "pauseAction:&Pause|F6", "stepAction:S&tep|F8", "runFromCursorAction:Run &from Cursor|Ctrl+F5",
                      "toggleBreakpointAction:Toggle &Breakpoint|F9", "runLogAction:Run Lo&g|Ctrl+L", "-",
                      "recordAction:Re&cord", "recordOptionsAction:Record Opt&ions..."}},
        {"settingsMenu", {"onTopAction:&On Top", "zoomMenu:&Zoom", "-", "engineMenu:&Browser", "elementWaitAction:&Element Wait...", "proxyAction:&Proxy..."}},
        {"zoomMenu", {"selectionSize3Action:Selection size=&3|Shift+F1", "selectionSize4Action:Selection size=&4|Shift+F2",
                    "selectionSize5Action:Selection size=&5|Shift+F3", "-", "allSize3Action:&All size=3|Ctrl+F1",
                    "allSize4Action:A&ll size=4|Ctrl+F2", "allSize5Action:All &size=5|Ctrl+F3"}},
        {"engineMenu", {"builtinEngineAction:&Built-in Engine|checked", "chromiumAction:&Chromium"}},
        {"helpMenu", {"commandsAction:&Commands", "userGuideAction:&User Guide", "-", "aboutAction:&About"}},
    };
    EXPECT_EQ(action("hideLinkSeparator").parent(), &menu("listMenu"));
    for (const auto &[name, items] : menus)
        EXPECT_EQ(describe(menu(name)), items) << name;
}

TEST_F(AppTest, EveryMenuAndItemHasItsOwnAltKeyAndNoKeyTheDesktopTakes)
{
    start();
    const auto mnemonics = [](const QList<QAction *> &items) {
        QString letters;
        for (const QAction *item : items) {
            if (item->isSeparator())
                continue;
            const QString text = item->text();
            const qsizetype amp = text.indexOf(QLatin1Char('&'));
            EXPECT_TRUE(amp >= 0 && amp + 1 < text.size() && text.indexOf(QLatin1Char('&'), amp + 1) < 0)
                << text.toStdString();
            if (amp >= 0 && amp + 1 < text.size())
                letters += text.at(amp + 1).toLower();
        }
        return letters;
    };
    const auto unique = [](const QString &letters) { return QSet<QChar>(letters.begin(), letters.end()).size() == letters.size(); };
    EXPECT_TRUE(unique(mnemonics(window->menuBar()->actions())));
    for (const QMenu *each : window->findChildren<QMenu *>())
        EXPECT_TRUE(unique(mnemonics(each->actions()))) << each->objectName().toStdString() << " " << mnemonics(each->actions()).toStdString();
    // F10 opens the menu bar on Linux desktops.
    for (const QAction *item : window->findChildren<QAction *>())
        EXPECT_NE(item->shortcut(), QKeySequence(Qt::Key_F10)) << item->objectName().toStdString();

    // Alt+S opens the Scripts menu instead of typing an "s" into the editor.
    auto *editor = window->findChild<QPlainTextEdit *>("scriptEditor");
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(waitUntil([&] { return menu("scriptsMenu").isVisible(); }));
    EXPECT_EQ(window->editorText(), "Nav;");
    menu("scriptsMenu").close();
}

TEST_F(AppTest, StartUpBuildsTheWindowAsDesigned)
{
    start();
    EXPECT_EQ(window->windowTitle(), "NavRelay");
    EXPECT_EQ(window->size(), designedClientSize(*window)) << "no size is stored";

    // First run: the library with its one script, shown in the tree.
    EXPECT_EQ(fileBytes(libraryRoot() + "/Default/Default.txt"), "Beep\r\n");
    auto *tree = window->findChild<QTreeWidget *>("scriptTree");
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "Default");
    ASSERT_EQ(tree->topLevelItem(0)->childCount(), 1);
    EXPECT_EQ(tree->topLevelItem(0)->child(0)->text(0), "Default");
    EXPECT_FALSE(tree->topLevelItem(0)->isExpanded());

    // The browser is attached and says so in its own status bar.
    EXPECT_EQ(attachedWindow().statusText(), "NavRelay Successfully Attached.");

    EXPECT_EQ(window->fileDialog().nameFilters(), (QStringList{"Text Files (*.txt)", "Script Files (*.scr)"}));
    EXPECT_EQ(window->fileDialog().fileName(), QDir(libraryRoot()).filePath("ScriptName"));
    EXPECT_EQ(window->editorText(), "Nav;");
    EXPECT_FALSE(window->findChild<QListWidget *>("linkListWidget")->isVisible());
    EXPECT_FALSE(window->automation().runner.tickTimer().isActive());
    EXPECT_EQ(window->automation().runner.tickTimer().interval(), 50);
    EXPECT_EQ(window->automation().runner.tickTimer().objectName(), "tickTimer");
    EXPECT_TRUE(window->clockTimer().isActive());
    EXPECT_EQ(window->clockTimer().interval(), 1000);
    EXPECT_FALSE(window->automation().state.exitWhenFinished);

    EXPECT_EQ(window->findChild<QListWidget *>("linkListWidget")->font().pointSizeF(), 8.25);
    EXPECT_EQ(tree->font().pointSizeF(), 8.25);
    EXPECT_EQ(window->findChild<QStatusBar *>("StatusBar1")->font().pointSizeF(), 8.25);
    EXPECT_EQ(window->findChild<QPlainTextEdit *>("scriptEditor")->font().pointSizeF(), 9.0);
}

TEST_F(AppTest, PositionIsSavedOnCloseAndRestoredAtTheNextStart)
{
    start();
    window->move(40, 60);
    window->resize(500, 300);
    const QRect before = twipsFrame(*window);
    bool ended = false;
    QObject::connect(window.get(), &MainWindow::programEnded, [&] { ended = true; });
    closeWindow();
    EXPECT_TRUE(ended);

    const auto stored = settings();
    EXPECT_EQ(stored->value("Pos/Top").toString(), QString::number(before.top()));
    EXPECT_EQ(stored->value("Pos/Left").toString(), QString::number(before.left()));
    EXPECT_EQ(stored->value("Pos/Height").toString(), QString::number(before.height()));
    EXPECT_EQ(stored->value("Pos/Width").toString(), QString::number(before.width()));
    EXPECT_TRUE(stored->fileName().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME") + "/NavRelay/"))
        << stored->fileName().toStdString();

    window.reset();
    start();
    EXPECT_EQ(twipsFrame(*window), before);
}

TEST_F(AppTest, OnlyTheStoredAndNumericDimensionsAreRestored)
{
    struct Case {
        std::map<QString, QString> stored;
        bool topRestored, leftRestored, heightRestored, widthRestored;
    };
    const Case cases[] = {
        {{}, false, false, false, false},
        {{{"Top", "1500"}}, true, false, false, false},
        {{{"Top", "1500"}, {"Left", "1200"}, {"Height", "4500"}, {"Width", "abc"}}, true, true, true, false},
        {{{"Top", "nan"}, {"Left", "1e300"}, {"Height", "-600"}, {"Width", "9000"}}, false, false, false, true},
    };
    for (const Case &c : cases) {
        settings()->clear();
        for (const auto &[key, value] : c.stored)
            storePosition(key, value);
        start();
        const QRect frame = twipsFrame(*window);
        const QSize designed = designedClientSize(*window);
        EXPECT_EQ(frame.top() == 1500, c.topRestored);
        EXPECT_EQ(frame.left() == 1200, c.leftRestored);
        EXPECT_EQ(frame.height() == 4500, c.heightRestored);
        EXPECT_EQ(frame.width() == 9000, c.widthRestored);
        if (!c.heightRestored) {
            EXPECT_EQ(window->height(), designed.height());
        }
        if (!c.widthRestored) {
            EXPECT_EQ(window->width(), designed.width());
        }
        window.reset();
    }
}

TEST_F(AppTest, APositionOffEveryScreenIsBroughtBackOntoTheScreen)
{
    storePosition("Top", "3000000");
    storePosition("Left", "-3000000");
    start();
    const QRect screen = window->screen()->availableGeometry();
    EXPECT_TRUE(screen.intersects(window->frameGeometry()));
}

TEST(WindowPosition, StoredTextsGiveWholeTwipsOrNothing)
{
    const std::tuple<QString, std::optional<int>, std::optional<int>> cases[] = {
        {"", std::nullopt, std::nullopt},
        {"abc", std::nullopt, std::nullopt},
        {"1440", 1440, 1440},
        {" 1440 ", 1440, 1440},
        {"1440.6", 1441, 1441},
        {"-600", -600, std::nullopt},
        {"1e3", 1000, 1000},
        {"inf", std::nullopt, std::nullopt},
        {"1e300", std::nullopt, std::nullopt},
        {"12abc", std::nullopt, std::nullopt},
    };
    for (const auto &[text, position, size] : cases) {
        EXPECT_EQ(positionFromText(text), position) << text.toStdString();
        EXPECT_EQ(sizeFromText(text), size) << text.toStdString();
    }
}

TEST_F(AppTest, CommandLineIsTheArgumentsJoinedBySingleBlanks)
{
    const MainWindowOptions options =
        defaultMainWindowOptions({QStringLiteral("/opt/navrelay"), QStringLiteral("Daily"), QStringLiteral("Login")});
    EXPECT_EQ(options.commandLine, "Daily Login");
    EXPECT_EQ(options.settingsApplication, "test_app");
    EXPECT_EQ(defaultMainWindowOptions({QStringLiteral("/opt/navrelay")}).commandLine, "");
}

TEST(FileDialogFilter, PairsBecomeQtNameFilters)
{
    const std::pair<QString, QStringList> cases[] = {
        {"Text Files (*.txt)|*.txt|Script Files (*.scr)|*.scr", {"Text Files (*.txt)", "Script Files (*.scr)"}},
        {"Pages|*.htm;*.html", {"Pages (*.htm *.html)"}},
        {"All Files (*.*)|*.*|Lonely", {"All Files (*.*)"}},
        {"", {}},
    };
    for (const auto &[filter, expected] : cases)
        EXPECT_EQ(nameFiltersFromPairs(filter), expected) << filter.toStdString();
}
