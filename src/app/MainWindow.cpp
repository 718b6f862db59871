#include "app/MainWindow.h"

#include "about/AboutBox.h"
#include "about/ProgramIcon.h"
#include "app/BrowserCommands.h"
#include "app/BrowserPlacement.h"
#include "app/FileDialog.h"
#include "app/HelpPages.h"
#include "app/LinkListView.h"
#include "app/MainMenus.h"
#include "library/TopMost.h"
#include "app/Twips.h"
#include "app/WindowHost.h"
#include "browser/Automation.h"
#include "library/CommandLineStart.h"
#include "library/EditorText.h"
#include "library/ScriptLibrary.h"
#include "page/CurrentDoc.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSettings>
#include <QStatusBar>
#include <QTreeWidget>

namespace {

const QString kCaption = QStringLiteral("NavRelay");
const QString kDialogFilter = QStringLiteral("Text Files (*.txt)|*.txt|Script Files (*.scr)|*.scr");
// The editor's designed text; start-up takes the final line break off.
const QString kDesignedEditorText = QStringLiteral("Nav;\r\n");

// The designed font, or the nearest installed one where it is missing.
QFont designedFont(const QStringList &families, double points)
{
    QFont font(families + QStringList{QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    return font;
}

// Start-up and shutdown go on with their next step whatever happened in the one before.
template <typename Step>
void runStep(Step step)
{
    try {
        step();
    } catch (const std::exception &) {
    }
}

} // namespace

MainWindowOptions defaultMainWindowOptions(const QStringList &arguments)
{
    MainWindowOptions options;
    options.settingsApplication = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    options.libraryRoot = defaultLibraryRoot();
    options.commandLine = arguments.mid(1).join(QLatin1Char(' '));
    return options;
}

fMain::fMain(MainWindowOptions options)
    : m_options(std::move(options))
    , m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, kCaption,
                                             m_options.settingsApplication))
{
    setObjectName(QStringLiteral("fMain"));
    setWindowTitle(kCaption);
    setWindowIcon(programIcon());
    createControls();
    m_menus = std::make_unique<MainMenus>(*this);

    m_host = std::make_unique<WindowHost>(*this, *m_panel1, [this] { mCommands_Click(); });
    m_browser = std::make_unique<SelectableBrowser>(storedBrowserEngine(*m_settings), storedDevToolsAddress(*m_settings));
    m_automation = std::make_unique<Automation>(*m_host, *m_browser);
    m_automation->runner.TimerNav().setObjectName(QStringLiteral("TimerNav"));
    m_commands = std::make_unique<BrowserCommands>(m_automation->connection, *m_host);
    m_dialog = std::make_unique<FileDialog>(*this);
    m_linkListView = std::make_unique<LinkListView>(m_automation->linkList, *m_list, *m_menus->m08,
                                                    *m_menus->mHideLink, *m_dialog, *m_commands, *m_host);
    m_library = std::make_unique<ScriptLibrary>(*m_tree, *m_editor, *m_dialog, *m_host, m_automation->linkList,
                                                m_options.libraryRoot, [this] { mRunScript_Click(); });
    connectMenus();

    m_timerTime.setObjectName(QStringLiteral("TimerTime"));
    m_timerTime.setInterval(kClockInterval);
    connect(&m_timerTime, &QTimer::timeout, this, &fMain::TimerTime_Timer);
    m_timerTime.start();

    const int dpi = logicalDpi(*this);
    resize(twipsToPixels(kDesignedClientWidth, dpi), twipsToPixels(kDesignedClientHeight, dpi));
}

fMain::~fMain()
{
    delete m_about.data();
}

void fMain::createControls()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    m_tree = new QTreeWidget(client);
    m_tree->setObjectName(QStringLiteral("TreeView1"));
    m_tree->setFont(designedFont({QStringLiteral("Verdana")}, 8.25));
    m_tree->viewport()->installEventFilter(this);

    m_editor = new QPlainTextEdit(client);
    m_editor->setObjectName(QStringLiteral("txtScript"));
    m_editor->setFont(designedFont({QStringLiteral("Arial Unicode MS"), QStringLiteral("Arial")}, 9));
    m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    setEditorText(*m_editor, kDesignedEditorText);

    m_list = new QListWidget(client);
    m_list->setObjectName(QStringLiteral("lstURL"));
    m_list->setFont(designedFont({QStringLiteral("Tahoma")}, 8.25));
    m_list->hide();

    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setFont(designedFont({QStringLiteral("Tahoma")}, 8.25));
    m_panel1 = new QLabel(bar);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel2 = new QLabel(bar);
    m_panel2->setObjectName(QStringLiteral("Panel2"));
    m_panel2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    bar->addWidget(m_panel1, 1);
    bar->addPermanentWidget(m_panel2);
}

void fMain::connectMenus()
{
    const MainMenus &m = *m_menus;
    LinkListView &list = *m_linkListView;
    connect(m.mOpenList, &QAction::triggered, this, [&list] { list.mOpenList_Click(); });
    connect(m.mSaveList, &QAction::triggered, this, [&list] { list.mSaveList_Click(); });
    connect(m.mClearList, &QAction::triggered, this, [&list] { list.mClearList_Click(); });
    connect(m.mHideLink, &QAction::triggered, this, [&list] { list.mHideLink_Click(); });

    connect(m.mToolbars, &QAction::triggered, this, &fMain::mToolbars_Click);
    connect(m.mCloseAll, &QAction::triggered, this, &fMain::mCloseAll_Click);
    DocumentTools &tools = m_automation->documentTools;
    connect(m.mLinks, &QAction::triggered, this, [&tools] { tools.ListLinks(); });
    connect(m.mTraverseLinks, &QAction::triggered, this, [&tools] { tools.TraverseLinks(); });

    ScriptLibrary &library = *m_library;
    connect(m.mRunScript, &QAction::triggered, this, &fMain::mRunScript_Click);
    connect(m.mReset, &QAction::triggered, this, &fMain::mReset_Click);
    connect(m.mNewScript, &QAction::triggered, this, [&library] { library.mNewScript_Click(); });
    connect(m.mOpenScript, &QAction::triggered, this, [&library] { library.mOpenScript_Click(); });
    connect(m.mSaveScript, &QAction::triggered, this, [&library] { library.mSaveScript_Click(); });
    connect(m.mRename, &QAction::triggered, this, [&library] { library.mRename_Click(); });
    connect(m.mDelete, &QAction::triggered, this, [&library] { library.mDelete_Click(); });
    connect(m.mNewFolder, &QAction::triggered, this, [&library] { library.mNewFolder_Click(); });
    connect(m.mRepeatLast, &QAction::triggered, this, [&library] { library.mRepeatLast_Click(); });
    connect(m.mRepeatAll, &QAction::triggered, this, [&library] { library.mRepeatAll_Click(); });
    connect(m_tree, &QTreeWidget::itemClicked, this, [&library] { library.TreeView1_Click(); });
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [&library] { library.TreeView1_DblClick(); });

    connect(m.mOnTop, &QAction::triggered, this, &fMain::mOnTop_Click);
    const std::pair<QAction *, qint16> selections[] = {{m.mSelection3, 3}, {m.mSelection4, 4}, {m.mSelection5, 5}};
    for (const auto &[action, size] : selections)
        connect(action, &QAction::triggered, this, [&tools, size] { tools.ZoomSelection(size); });
    const std::pair<QAction *, qint16> wholePage[] = {{m.mAll3, 3}, {m.mAll4, 4}, {m.mAll5, 5}};
    for (const auto &[action, size] : wholePage)
        connect(action, &QAction::triggered, this, [&tools, size] { tools.ZoomAll(size); });
    m.mBuiltinEngine->setChecked(m_browser->engine() == BrowserEngine::Builtin);
    m.mChromium->setChecked(m_browser->engine() == BrowserEngine::Chromium);
    connect(m.mBuiltinEngine, &QAction::triggered, this, [this] { selectBrowserEngine(BrowserEngine::Builtin); });
    connect(m.mChromium, &QAction::triggered, this, [this] { selectBrowserEngine(BrowserEngine::Chromium); });

    connect(m.mCommands, &QAction::triggered, this, &fMain::mCommands_Click);
    connect(m.mAbout, &QAction::triggered, this, &fMain::mAbout_Click);
}

void fMain::Form_Load()
{
    runStep([this] { createFirstRunLibrary(m_options.libraryRoot); });
    runStep([this] { restorePosition(); });
    runStep([this] { m_automation->connection.AttachBrowser(); });
    runStep([this] { m_dialog->setFilter(kDialogFilter); });
    runStep([this] { m_dialog->setFileName(QDir(m_options.libraryRoot).filePath(QStringLiteral("ScriptName"))); });
    runStep([this] {
        const QString text = editorText();
        if (text.endsWith(QStringLiteral("\r\n")))
            setEditorText(*m_editor, text.chopped(2));
    });
    runStep([this] { m_library->LoadScripts(); });
    runStep([this] {
        CommandScript(m_options.commandLine, *this, *m_library, *m_editor, m_automation->state,
                      [this] { mRunScript_Click(); }, m_options.countdownTick);
    });
}

void fMain::restorePosition()
{
    winId(); // the frame's measures are known once the window exists
    m_storedPosition = readStoredPosition(*m_settings);
    restoreWindowPosition(*this, m_storedPosition);
}

QString fMain::editorText() const
{
    return ::editorText(*m_editor);
}

void fMain::mRunScript_Click()
{
    m_automation->runner.mRunScript_Click(editorText());
}

void fMain::mReset_Click()
{
    m_automation->runner.mReset_Click();
}

void fMain::TimerTime_Timer()
{
    m_panel2->setText(clockText());
}

void fMain::mToolbars_Click()
{
    // The item's own toggle is undone: the check mark follows what the browser was told.
    const bool wasChecked = !m_menus->mToolbars->isChecked();
    m_menus->mToolbars->setChecked(m_commands->mToolbars_Click(wasChecked));
}

void fMain::mCloseAll_Click()
{
    m_commands->mCloseAll_Click();
}

void fMain::mOnTop_Click()
{
    if (m_menus->mOnTop->isChecked())
        MakeTopMost(*this);
    else
        MakeNotTopMost(*this);
}

void fMain::mCommands_Click()
{
    m_commands->navigate(commandReferenceUrl());
}

frmAbout *fMain::aboutBox() const
{
    return m_about.data();
}

void fMain::mAbout_Click()
{
    if (!m_about) {
        m_about = new frmAbout([this] { m_commands->navigate(userGuideUrl(), BrowserCommands::Failure::Ignore); });
        m_about->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void fMain::selectBrowserEngine(BrowserEngine engine)
{
    m_menus->mBuiltinEngine->setChecked(engine == BrowserEngine::Builtin);
    m_menus->mChromium->setChecked(engine == BrowserEngine::Chromium);
    if (engine == m_browser->engine())
        return;
    storeBrowserEngine(*m_settings, engine);
    // The old engine's windows are let go by the attach before the engine itself ends.
    const std::unique_ptr<Browser> previous = m_browser->select(engine);
    CurrentDoc.reset();
    m_automation->connection.AttachBrowser();
    if (isVisible())
        placeBrowserWindowsBeside(*this);
}

void fMain::closeEvent(QCloseEvent *event)
{
    runStep([this] { writeWindowPosition(*m_settings, *this); });
    event->accept();
    hide();
    runStep([this] {
        MakeNotTopMost(*this);
        m_menus->mOnTop->setChecked(false);
    });
    if (m_about)
        m_about->close();
    emit programEnded();
}

void fMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void fMain::Form_Resize()
{
    const int dpi = logicalDpi(*this);
    const int W = pixelsToTwips(frameGeometry().width(), dpi);
    const int H = pixelsToTwips(height() - centralWidget()->y(), dpi);
    const int S = pixelsToTwips(statusBar()->isVisible() ? statusBar()->height() : 0, dpi);
    FormLayout::Form_Resize(m_boxes, W, H, S);
    applyFormBoxes(m_boxes, dpi, *m_tree, *m_editor, *m_list);
}

void fMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    Form_Resize();
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    // A window manager tells the frame's size only once the window is mapped: the stored outer
    // size is applied again with it, then the browser takes its place beside the window.
    QTimer::singleShot(0, this, [this] {
        restoreWindowPosition(*this, m_storedPosition);
        if (m_browser->engine() == BrowserEngine::Builtin)
            placeBrowserWindowsBeside(*this);
    });
}

bool fMain::eventFilter(QObject *watched, QEvent *event)
{
    // The library keeps the right button's press from moving the selection; its release pops up
    // the Scripts menu for the node selected before.
    if (watched == m_tree->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        m_library->TreeView1_MouseUp(mouse->button(), mouse->globalPosition().toPoint(), *m_menus->mScripts);
    }
    return QMainWindow::eventFilter(watched, event);
}
