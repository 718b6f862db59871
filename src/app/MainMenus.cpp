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

    mList = addMenu(bar, "mList", QStringLiteral("List"));
    mOpenList = addItem(*mList, "mOpenList", QStringLiteral("Open"));
    mSaveList = addItem(*mList, "mSaveList", QStringLiteral("Save"));
    mClearList = addItem(*mList, "mClearList", QStringLiteral("Clear"));
    m08 = addSeparator(*mList, "m08");
    mHideLink = addItem(*mList, "mHideLink", QStringLiteral("Hide Link List"));
    m08->setVisible(false);
    mHideLink->setVisible(false);

    mIE = addMenu(bar, "mIE", QStringLiteral("IE"));
    mToolbars = addCheckItem(*mIE, "mToolbars", QStringLiteral("Toolbars"), true);

    mDoc = addMenu(bar, "mDoc", QStringLiteral("Doc"));
    mCloseAll = addItem(*mDoc, "mCloseAll", QStringLiteral("Close All"));
    mLinks = addItem(*mDoc, "mLinks", QStringLiteral("Links"));
    mForms = addItem(*mDoc, "mForms", QStringLiteral("Forms"));
    mTraverseLinks = addItem(*mDoc, "mTraverseLinks", QStringLiteral("Traverse Links"));

    mScripts = addMenu(bar, "mScripts", QStringLiteral("Scripts"));
    mRunScript = addItem(*mScripts, "mRunScript", QStringLiteral("Run"), QKeySequence(Qt::Key_F5));
    mReset = addItem(*mScripts, "mReset", QStringLiteral("Reset"));
    addSeparator(*mScripts, "m09");
    mNewScript = addItem(*mScripts, "mNewScript", QStringLiteral("New"));
    mOpenScript = addItem(*mScripts, "mOpenScript", QStringLiteral("Open"), QKeySequence(Qt::CTRL | Qt::Key_O));
    mSaveScript = addItem(*mScripts, "mSaveScript", QStringLiteral("Save"), QKeySequence(Qt::CTRL | Qt::Key_S));
    mRename = addItem(*mScripts, "mRename", QStringLiteral("Rename"));
    mDelete = addItem(*mScripts, "mDelete", QStringLiteral("Delete"));
    addSeparator(*mScripts, "m10");
    mNewFolder = addItem(*mScripts, "mNewFolder", QStringLiteral("New Folder"));
    addSeparator(*mScripts, "m11");
    mRepeatLast = addItem(*mScripts, "mRepeatLast", QStringLiteral("Repeat Last"));
    mRepeatAll = addItem(*mScripts, "mRepeatAll", QStringLiteral("Repeat All"));

    mSettings = addMenu(bar, "mSettings", QStringLiteral("Settings"));
    mOnTop = addCheckItem(*mSettings, "mOnTop", QStringLiteral("On Top"), false);
    mZoomS = addSubmenu(*mSettings, "mZoomS", QStringLiteral("Zoom"));
    mSelection3 = addItem(*mZoomS, "mSelection3", QStringLiteral("Selection size=3"), QKeySequence(Qt::SHIFT | Qt::Key_F1));
    mSelection4 = addItem(*mZoomS, "mSelection4", QStringLiteral("Selection size=4"), QKeySequence(Qt::SHIFT | Qt::Key_F2));
    mSelection5 = addItem(*mZoomS, "mSelection5", QStringLiteral("Selection size=5"), QKeySequence(Qt::SHIFT | Qt::Key_F3));
    addSeparator(*mZoomS, "m12");
    mAll3 = addItem(*mZoomS, "mAll3", QStringLiteral("All size=3"), QKeySequence(Qt::CTRL | Qt::Key_F1));
    mAll4 = addItem(*mZoomS, "mAll4", QStringLiteral("All size=4"), QKeySequence(Qt::CTRL | Qt::Key_F2));
    mAll5 = addItem(*mZoomS, "mAll5", QStringLiteral("All size=5"), QKeySequence(Qt::CTRL | Qt::Key_F3));
    addSeparator(*mSettings, "m13");
    mBrowser = addSubmenu(*mSettings, "mBrowser", QStringLiteral("Browser"));
    mBuiltinEngine = addCheckItem(*mBrowser, "mBuiltinEngine", QStringLiteral("Built-in Engine"), true);
    mChromium = addCheckItem(*mBrowser, "mChromium", QStringLiteral("Chromium"), false);
    auto *engines = new QActionGroup(mBrowser);
    engines->addAction(mBuiltinEngine);
    engines->addAction(mChromium);

    mHelp = addMenu(bar, "mHelp", QStringLiteral("Help"));
    mCommands = addItem(*mHelp, "mCommands", QStringLiteral("Commands"));
    addSeparator(*mHelp, "m14");
    mAbout = addItem(*mHelp, "mAbout", QStringLiteral("About"));
}
