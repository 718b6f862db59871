#pragma once

class QAction;
class QMainWindow;
class QMenu;

// The main window's menu bar: the menus, their items in order, separators, shortcut keys and
// check marks, each with the object name of its control. Every menu and item has an Alt
// mnemonic (the letter after "&"), unique within its menu. The actions do nothing until the
// window connects them.
struct MainMenus {
    explicit MainMenus(QMainWindow &window);

    QMenu *listMenu;
    QAction *openListAction;
    QAction *saveListAction;
    QAction *clearListAction;
    QAction *hideLinkSeparator;
    QAction *hideLinkAction;

    QMenu *windowMenu;
    QAction *toolbarsAction;

    QMenu *documentMenu;
    QAction *closeAllAction;
    QAction *linksAction;
    QAction *formsAction;
    QAction *traverseLinksAction;

    QMenu *scriptsMenu;
    QAction *runAction;
    QAction *resetAction;
    QAction *newScriptAction;
    QAction *openScriptAction;
    QAction *saveScriptAction;
    QAction *renameAction;
    QAction *deleteAction;
    QAction *newFolderAction;
    QAction *repeatLastAction;
    QAction *repeatAllAction;
    QAction *stopAction;
    QAction *pauseAction;
    QAction *stepAction;
    QAction *runFromCursorAction;
    QAction *toggleBreakpointAction;
    QAction *runLogAction;
    QAction *recordAction;
    QAction *recordOptionsAction;

    QMenu *settingsMenu;
    QAction *onTopAction;
    QMenu *zoomMenu;
    QAction *selectionSize3Action;
    QAction *selectionSize4Action;
    QAction *selectionSize5Action;
    QAction *allSize3Action;
    QAction *allSize4Action;
    QAction *allSize5Action;
    QMenu *engineMenu;
    QAction *elementWaitAction;
    QAction *builtinEngineAction;
    QAction *chromiumAction;
    QAction *proxyAction;

    QMenu *helpMenu;
    QAction *commandsAction;
    QAction *userGuideAction;
    QAction *aboutAction;
};
