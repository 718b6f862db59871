#include "app/MainMenus.h"

#include <QActionGroup>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace {

QMenu *addMenu(QMenuBar &bar, const char *name, const QString &title)
{
    QMenu *menu = bar.addMenu(title);
    menu->setObjectName(QLatin1String(name));
    menu->menuAction()->setObjectName(QLatin1String(name));
    return menu;
}

QMenu *addSubmenu(QMenu &parent, const char *name, const QString &title)
{
    QMenu *menu = parent.addMenu(title);
    menu->setObjectName(QLatin1String(name));
    menu->menuAction()->setObjectName(QLatin1String(name));
    return menu;
}

QAction *addItem(QMenu &menu, const char *name, const QString &caption, const QKeySequence &shortcut = {})
{
    QAction *action = menu.addAction(caption);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    return action;
}

QAction *addCheckItem(QMenu &menu, const char *name, const QString &caption, bool checked)
{
    QAction *action = addItem(menu, name, caption);
    action->setCheckable(true);
    action->setChecked(checked);
    return action;
}

QAction *addSeparator(QMenu &menu, const char *name)
{
    QAction *separator = menu.addSeparator();
    separator->setObjectName(QLatin1String(name));
    return separator;
}

} // namespace

MainMenus::MainMenus(QMainWindow &window)
{
    QMenuBar &bar = *window.menuBar();

    listMenu = addMenu(bar, "listMenu", QStringLiteral("&List"));
    openListAction = addItem(*listMenu, "openListAction", QStringLiteral("&Open"));
    saveListAction = addItem(*listMenu, "saveListAction", QStringLiteral("&Save"));
    clearListAction = addItem(*listMenu, "clearListAction", QStringLiteral("&Clear"));
    hideLinkSeparator = addSeparator(*listMenu, "hideLinkSeparator");
    hideLinkAction = addItem(*listMenu, "hideLinkAction", QStringLiteral("&Hide Link List"));
    hideLinkSeparator->setVisible(false);
    hideLinkAction->setVisible(false);

    windowMenu = addMenu(bar, "windowMenu", QStringLiteral("&IE"));
    toolbarsAction = addCheckItem(*windowMenu, "toolbarsAction", QStringLiteral("&Toolbars"), true);

    documentMenu = addMenu(bar, "documentMenu", QStringLiteral("&Doc"));
    closeAllAction = addItem(*documentMenu, "closeAllAction", QStringLiteral("&Close All"));
    linksAction = addItem(*documentMenu, "linksAction", QStringLiteral("&Links"));
    formsAction = addItem(*documentMenu, "formsAction", QStringLiteral("&Forms"));
    traverseLinksAction = addItem(*documentMenu, "traverseLinksAction", QStringLiteral("&Traverse Links"));

    scriptsMenu = addMenu(bar, "scriptsMenu", QStringLiteral("&Scripts"));
    runAction = addItem(*scriptsMenu, "runAction", QStringLiteral("&Run"), QKeySequence(Qt::Key_F5));
    resetAction = addItem(*scriptsMenu, "resetAction", QStringLiteral("R&eset"));
    addSeparator(*scriptsMenu, "m09");
    newScriptAction = addItem(*scriptsMenu, "newScriptAction", QStringLiteral("&New"));
    openScriptAction = addItem(*scriptsMenu, "openScriptAction", QStringLiteral("&Open"), QKeySequence(Qt::CTRL | Qt::Key_O));
    saveScriptAction = addItem(*scriptsMenu, "saveScriptAction", QStringLiteral("Sa&ve"), QKeySequence(Qt::CTRL | Qt::Key_S));
    renameAction = addItem(*scriptsMenu, "renameAction", QStringLiteral("Rena&me"));
    deleteAction = addItem(*scriptsMenu, "deleteAction", QStringLiteral("&Delete"));
    addSeparator(*scriptsMenu, "m10");
    newFolderAction = addItem(*scriptsMenu, "newFolderAction", QStringLiteral("Ne&w Folder"));
    addSeparator(*scriptsMenu, "m11");
    repeatLastAction = addItem(*scriptsMenu, "repeatLastAction", QStringLiteral("Repeat &Last"));
    repeatAllAction = addItem(*scriptsMenu, "repeatAllAction", QStringLiteral("Repeat &All"));
    addSeparator(*scriptsMenu, "runControlSeparator");
    stopAction = addItem(*scriptsMenu, "stopAction", QStringLiteral("&Stop"), QKeySequence(Qt::SHIFT | Qt::Key_F5));
    pauseAction = addItem(*scriptsMenu, "pauseAction", QStringLiteral("&Pause"), QKeySequence(Qt::Key_F6));
    stepAction = addItem(*scriptsMenu, "stepAction", QStringLiteral("S&tep"), QKeySequence(Qt::Key_F8));
    runFromCursorAction = addItem(*scriptsMenu, "runFromCursorAction", QStringLiteral("Run &from Cursor"), QKeySequence(Qt::CTRL | Qt::Key_F5));
    toggleBreakpointAction = addItem(*scriptsMenu, "toggleBreakpointAction", QStringLiteral("Toggle &Breakpoint"), QKeySequence(Qt::Key_F9));
    runLogAction = addCheckItem(*scriptsMenu, "runLogAction", QStringLiteral("Run Lo&g"), false);
    runLogAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    addSeparator(*scriptsMenu, "recordSeparator");
    recordAction = addCheckItem(*scriptsMenu, "recordAction", QStringLiteral("Re&cord"), false);
    recordOptionsAction = addItem(*scriptsMenu, "recordOptionsAction", QStringLiteral("Record Opt&ions..."));

    settingsMenu = addMenu(bar, "settingsMenu", QStringLiteral("S&ettings"));
    onTopAction = addCheckItem(*settingsMenu, "onTopAction", QStringLiteral("&On Top"), false);
    zoomMenu = addSubmenu(*settingsMenu, "zoomMenu", QStringLiteral("&Zoom"));
    selectionSize3Action = addItem(*zoomMenu, "selectionSize3Action", QStringLiteral("Selection size=&3"), QKeySequence(Qt::SHIFT | Qt::Key_F1));
    selectionSize4Action = addItem(*zoomMenu, "selectionSize4Action", QStringLiteral("Selection size=&4"), QKeySequence(Qt::SHIFT | Qt::Key_F2));
    selectionSize5Action = addItem(*zoomMenu, "selectionSize5Action", QStringLiteral("Selection size=&5"), QKeySequence(Qt::SHIFT | Qt::Key_F3));
    addSeparator(*zoomMenu, "m12");
    allSize3Action = addItem(*zoomMenu, "allSize3Action", QStringLiteral("&All size=3"), QKeySequence(Qt::CTRL | Qt::Key_F1));
    allSize4Action = addItem(*zoomMenu, "allSize4Action", QStringLiteral("A&ll size=4"), QKeySequence(Qt::CTRL | Qt::Key_F2));
    allSize5Action = addItem(*zoomMenu, "allSize5Action", QStringLiteral("All &size=5"), QKeySequence(Qt::CTRL | Qt::Key_F3));
    addSeparator(*settingsMenu, "m13");
    engineMenu = addSubmenu(*settingsMenu, "engineMenu", QStringLiteral("&Browser"));
    builtinEngineAction = addCheckItem(*engineMenu, "builtinEngineAction", QStringLiteral("&Built-in Engine"), true);
    chromiumAction = addCheckItem(*engineMenu, "chromiumAction", QStringLiteral("&Chromium"), false);
    auto *engines = new QActionGroup(engineMenu);
    engines->addAction(builtinEngineAction);
    engines->addAction(chromiumAction);
    elementWaitAction = addItem(*settingsMenu, "elementWaitAction", QStringLiteral("&Element Wait..."));
    proxyAction = addItem(*settingsMenu, "proxyAction", QStringLiteral("&Proxy..."));

    helpMenu = addMenu(bar, "helpMenu", QStringLiteral("&Help"));
    commandsAction = addItem(*helpMenu, "commandsAction", QStringLiteral("&Commands"));
    userGuideAction = addItem(*helpMenu, "userGuideAction", QStringLiteral("&User Guide"));
    addSeparator(*helpMenu, "m14");
    aboutAction = addItem(*helpMenu, "aboutAction", QStringLiteral("&About"));
}
