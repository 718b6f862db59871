#pragma once

class QAction;
class QMainWindow;
class QMenu;

// The main window's menu bar: the menus, their items in order, separators, shortcut keys and
// check marks, each with the object name of its control. The actions do nothing until the
// window connects them.
struct MainMenus {
    explicit MainMenus(QMainWindow &window);

    QMenu *mList;
    QAction *mOpenList;
    QAction *mSaveList;
    QAction *mClearList;
    QAction *m08;
    QAction *mHideLink;

    QMenu *mIE;
    QAction *mToolbars;

    QMenu *mDoc;
    QAction *mCloseAll;
    QAction *mLinks;
    QAction *mForms;
    QAction *mTraverseLinks;

    QMenu *mScripts;
    QAction *mRunScript;
    QAction *mReset;
    QAction *mNewScript;
    QAction *mOpenScript;
    QAction *mSaveScript;
    QAction *mRename;
    QAction *mDelete;
    QAction *mNewFolder;
    QAction *mRepeatLast;
    QAction *mRepeatAll;

    QMenu *mSettings;
    QAction *mOnTop;
    QMenu *mZoomS;
    QAction *mSelection3;
    QAction *mSelection4;
    QAction *mSelection5;
    QAction *mAll3;
    QAction *mAll4;
    QAction *mAll5;
    QMenu *mBrowser;
    QAction *mBuiltinEngine;
    QAction *mChromium;

    QMenu *mHelp;
    QAction *mCommands;
    QAction *mAbout;
};
