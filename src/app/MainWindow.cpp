#include "app/MainWindow.h"

#include "about/AboutBox.h"
#include "about/ProgramIcon.h"
#include "app/BrowserCommands.h"
#include "app/BrowserPlacement.h"
#include "app/FileDialog.h"
#include "app/HelpPages.h"
#include "app/LinkListView.h"
#include "app/MainMenus.h"
#include "app/ElementWaitSettings.h"
#include "app/ProxyOptions.h"
#include "app/RecordOptions.h"
#include "app/RunLogView.h"
#include "app/RunView.h"
#include "app/ScriptEditor.h"
#include "app/ScriptHighlighter.h"
#include "app/ScriptRecording.h"
#include "library/TopMost.h"
#include "app/Twips.h"
#include "app/WindowHost.h"
#include "app/WindowPlacement.h"
#include "browser/Automation.h"
#include "engine/CommandWords.h"
#include "engine/ScriptCheck.h"
#include "engine/ScriptText.h"
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
#include <QTextDocument>
#include <QTreeWidget>
#include <QUrl>

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
    options.programFolder = QCoreApplication::applicationDirPath();
    options.libraryRoot = defaultLibraryRoot(options.programFolder);
    options.commandLine = arguments.mid(1).join(QLatin1Char(' '));
    return options;
}

MainWindow::MainWindow(MainWindowOptions options)
    : m_options(std::move(options))
    , m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, kCaption,
                                             m_options.settingsApplication))
    , m_placement(std::make_unique<WindowPlacement>(*this, *m_settings))
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(kCaption);
    setWindowIcon(programIcon());
    createControls();
    m_menus = std::make_unique<MainMenus>(*this);

    m_host = std::make_unique<WindowHost>(*this, *m_panel1, [this] { showCommands(); }, [this] { closeAfterLastPage(); });
    m_browser = std::make_unique<SelectableBrowser>(storedBrowserEngine(*m_settings), storedDevToolsAddress(*m_settings),
                                                    storedProxy(*m_settings));
    m_automation = std::make_unique<Automation>(*m_host, *m_browser);
    m_automation->runner.tickTimer().setObjectName(QStringLiteral("tickTimer"));
    applyElementWait();
    m_commands = std::make_unique<BrowserCommands>(m_automation->connection, *m_host);
    m_dialog = std::make_unique<FileDialog>(*this);
    m_linkListView = std::make_unique<LinkListView>(m_automation->linkList, *m_list, *m_menus->hideLinkSeparator,
                                                    *m_menus->hideLinkAction, *m_dialog, *m_commands, *m_host);
    m_library = std::make_unique<ScriptLibrary>(*m_tree, *m_editor, *m_dialog, *m_host, m_automation->linkList,
                                                m_options.libraryRoot, [this] { runScript(); });
    connectMenus();
    connectRunControls();
    connectRecording();

    m_clockTimer.setObjectName(QStringLiteral("clockTimer"));
    m_clockTimer.setInterval(kClockInterval);
    connect(&m_clockTimer, &QTimer::timeout, this, &MainWindow::updateClock);
    m_clockTimer.start();
    m_lastPageWatch.setInterval(ScriptRunner::kTickInterval);
    connect(&m_lastPageWatch, &QTimer::timeout, this, &MainWindow::closeAfterLastPage);

    const int dpi = logicalDpi(*this);
    resize(twipsToPixels(kDesignedClientWidth, dpi), twipsToPixels(kDesignedClientHeight, dpi));
}

MainWindow::~MainWindow()
{
    delete m_runLog; // it listens to the runner, which goes before the window's children
    delete m_about.data();
}

void MainWindow::createControls()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    m_tree = new QTreeWidget(client);
    m_tree->setObjectName(QStringLiteral("scriptTree"));
    m_tree->setFont(designedFont({QStringLiteral("Verdana")}, 8.25));
    m_tree->viewport()->installEventFilter(this);

    m_editor = new ScriptEditor(client);
    m_editor->setObjectName(QStringLiteral("scriptEditor"));
    m_editor->setFont(designedFont({QStringLiteral("Arial Unicode MS"), QStringLiteral("Arial")}, 9));
    m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    setEditorText(*m_editor, kDesignedEditorText);
    m_highlighter = new ScriptHighlighter(m_editor->document(), topLevelWords(), conditionalActions());

    m_divider = new PaneDivider(*client, [this](int pixels) {
        m_treeWidth = pixelsToTwips(pixels, logicalDpi(*this));
        layoutControls();
    });

    m_list = new QListWidget(client);
    m_list->setObjectName(QStringLiteral("linkListWidget"));
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
    m_recordingPanel = new QLabel(QStringLiteral("Recording"), bar);
    m_recordingPanel->setObjectName(QStringLiteral("recordingPanel"));
    m_recordingPanel->setStyleSheet(
        QStringLiteral("QLabel { color: white; background: #c00000; font-weight: bold; padding: 0 6px; }"));
    bar->addPermanentWidget(m_recordingPanel);
    m_runPanel = new QLabel(bar);
    m_runPanel->setObjectName(QStringLiteral("runPanel"));
    bar->addPermanentWidget(m_runPanel);
    bar->addPermanentWidget(m_panel2);
}

void MainWindow::connectMenus()
{
    const MainMenus &m = *m_menus;
    LinkListView &list = *m_linkListView;
    connect(m.openListAction, &QAction::triggered, this, [&list] { list.openLinkList(); });
    connect(m.saveListAction, &QAction::triggered, this, [&list] { list.saveLinkList(); });
    connect(m.clearListAction, &QAction::triggered, this, [&list] { list.clearLinkList(); });
    connect(m.hideLinkAction, &QAction::triggered, this, [&list] { list.hideLinkList(); });

    connect(m.toolbarsAction, &QAction::triggered, this, &MainWindow::toggleToolbars);
    connect(m.closeAllAction, &QAction::triggered, this, &MainWindow::closeAllWindows);
    DocumentTools &tools = m_automation->documentTools;
    connect(m.linksAction, &QAction::triggered, this, [&tools] { tools.listLinks(); });
    connect(m.traverseLinksAction, &QAction::triggered, this, [&tools] { tools.traverseLinks(); });

    ScriptLibrary &library = *m_library;
    connect(m.runAction, &QAction::triggered, this, &MainWindow::runScript);
    connect(m.resetAction, &QAction::triggered, this, &MainWindow::resetRun);
    connect(m.newScriptAction, &QAction::triggered, this, [&library] { library.newScript(); });
    connect(m.openScriptAction, &QAction::triggered, this, [&library] { library.openScript(); });
    connect(m.saveScriptAction, &QAction::triggered, this, [&library] { (void)library.saveScript(); });
    connect(m.renameAction, &QAction::triggered, this, [&library] { library.renameSelected(); });
    connect(m.deleteAction, &QAction::triggered, this, [&library] { library.deleteSelected(); });
    connect(m.newFolderAction, &QAction::triggered, this, [&library] { library.newFolder(); });
    connect(m.repeatLastAction, &QAction::triggered, this, [&library] { library.repeatLastLine(); });
    connect(m.repeatAllAction, &QAction::triggered, this, [&library] { library.repeatWholeText(); });
    connect(m_tree, &QTreeWidget::itemClicked, this, [&library] { library.loadSelectedScript(); });
    connect(&library, &ScriptLibrary::scriptChanged, this, &MainWindow::updateTitle);
    connect(m_editor->document(), &QTextDocument::modificationChanged, this, &MainWindow::updateTitle);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [&library] { library.runSelectedScript(); });

    connect(m.onTopAction, &QAction::triggered, this, &MainWindow::toggleOnTop);
    const std::pair<QAction *, qint16> selections[] = {{m.selectionSize3Action, 3}, {m.selectionSize4Action, 4}, {m.selectionSize5Action, 5}};
    for (const auto &[action, size] : selections)
        connect(action, &QAction::triggered, this, [&tools, size] { tools.zoomSelection(size); });
    const std::pair<QAction *, qint16> wholePage[] = {{m.allSize3Action, 3}, {m.allSize4Action, 4}, {m.allSize5Action, 5}};
    for (const auto &[action, size] : wholePage)
        connect(action, &QAction::triggered, this, [&tools, size] { tools.zoomAll(size); });
    m.builtinEngineAction->setChecked(m_browser->engine() == BrowserEngine::Builtin);
    m.chromiumAction->setChecked(m_browser->engine() == BrowserEngine::Chromium);
    connect(m.builtinEngineAction, &QAction::triggered, this, [this] { selectBrowserEngine(BrowserEngine::Builtin); });
    connect(m.chromiumAction, &QAction::triggered, this, [this] { selectBrowserEngine(BrowserEngine::Chromium); });
    connect(m.elementWaitAction, &QAction::triggered, this, &MainWindow::showElementWait);

    connect(m.commandsAction, &QAction::triggered, this, &MainWindow::showCommands);
    connect(m.userGuideAction, &QAction::triggered, this, &MainWindow::showUserGuide);
    connect(m.aboutAction, &QAction::triggered, this, &MainWindow::showAbout);
}

void MainWindow::connectRunControls()
{
    const MainMenus &m = *m_menus;
    ScriptRunner &runner = m_automation->runner;
    m_runView = std::make_unique<RunView>(runner, *m_editor, *m_runPanel, *m.pauseAction);
    connect(m.stopAction, &QAction::triggered, this, [this, &runner] {
        runner.stop();
        m_runView->refresh();
    });
    connect(m.pauseAction, &QAction::triggered, this, [this, &runner] {
        if (runner.isPaused())
            runner.resume();
        else
            runner.pause();
        m_runView->refresh();
    });
    connect(m.stepAction, &QAction::triggered, this, [this, &runner] {
        runner.step(editorText());
        m_runView->refresh();
    });
    connect(m.runFromCursorAction, &QAction::triggered, this, [this, &runner] {
        runner.runFrom(editorText(), m_editor->textCursor().blockNumber());
        m_runView->refresh();
    });
    connect(m.toggleBreakpointAction, &QAction::triggered, m_editor, &ScriptEditor::toggleBreakpointAtCursor);
    m_checkDelay.setSingleShot(true);
    m_checkDelay.setInterval(kCheckDelayMs);
    connect(&m_checkDelay, &QTimer::timeout, this, &MainWindow::checkScriptText);
    connect(m_editor, &QPlainTextEdit::textChanged, &m_checkDelay, qOverload<>(&QTimer::start));
    m_runLog = new RunLogView(runner, m_automation->connection, this);
    addDockWidget(Qt::BottomDockWidgetArea, m_runLog);
    m_runLog->hide();
    connect(m.runLogAction, &QAction::toggled, m_runLog, &QWidget::setVisible);
    connect(m_runLog, &QDockWidget::visibilityChanged, m.runLogAction, [this, action = m.runLogAction] {
        action->setChecked(m_runLog->isVisible());
    });
}

void MainWindow::connectRecording()
{
    m_recording = std::make_unique<ScriptRecording>(*m_browser, *m_editor, *m_recordingPanel, *m_settings);
    connect(m_menus->recordAction, &QAction::toggled, this, [this](bool on) { m_recording->setRecording(on); });
    connect(m_menus->recordOptionsAction, &QAction::triggered, this, &MainWindow::showRecordOptions);
    connect(m_menus->proxyAction, &QAction::triggered, this, &MainWindow::showProxyOptions);
}

void MainWindow::checkScriptText()
{
    // The window asks for the "$$$" text when the run starts, so a marker is never missing here.
    QList<LineFinding> findings;
    // A note tells of no fault: the line is not marked for it.
    for (const ScriptFinding &finding : checkScript(splitLines(editorText()), VariableText::Given)) {
        if (!finding.note)
            findings.append({finding.line - 1, finding.message});
    }
    m_editor->setFindings(std::move(findings));
}

void MainWindow::startUp()
{
    runStep([this] { createFirstRunLibrary(m_options.libraryRoot); });
    runStep([this] { restorePosition(); });
    runStep([this] { m_automation->connection.attachBrowser(); });
    runStep([this] { m_dialog->setFilter(kDialogFilter); });
    runStep([this] { m_dialog->setFileName(QDir(m_options.libraryRoot).filePath(QStringLiteral("ScriptName"))); });
    runStep([this] {
        const QString text = editorText();
        if (text.endsWith(QStringLiteral("\r\n")))
            setEditorText(*m_editor, text.chopped(2));
    });
    runStep([this] { m_library->loadScripts(); });
    runStep([this] { startFromCommandLine(); });
}

void MainWindow::startFromCommandLine()
{
    const CommandLineStart start = runCommandLineScript(m_options.commandLine, *this, *m_library, *m_editor,
                                                        m_automation->state, [this] { runScript(); }, m_options.countdownTick);
    if (start == CommandLineStart::UnknownScript) {
        m_exitCode = 1;
        close();
    }
}

void MainWindow::closeAfterLastPage()
{
    if (m_automation->connection.pageComing()) {
        m_lastPageWatch.start();
        return;
    }
    m_lastPageWatch.stop();
    close();
}

void MainWindow::restorePosition()
{
    m_placement->restore();
}

QString MainWindow::editorText() const
{
    return ::editorText(*m_editor);
}

void MainWindow::runScript()
{
    m_automation->runner.runScript(editorText());
}

void MainWindow::resetRun()
{
    m_automation->runner.resetRun();
}

void MainWindow::updateClock()
{
    m_panel2->setText(clockText());
}

void MainWindow::toggleToolbars()
{
    // The item's own toggle is undone: the check mark follows what the browser was told.
    const bool wasChecked = !m_menus->toolbarsAction->isChecked();
    m_menus->toolbarsAction->setChecked(m_commands->toggleToolbars(wasChecked));
}

void MainWindow::closeAllWindows()
{
    m_commands->closeAllWindows();
}

void MainWindow::toggleOnTop()
{
    if (m_menus->onTopAction->isChecked())
        makeTopMost(*this);
    else
        makeNotTopMost(*this);
}

void MainWindow::openDocsPage(const QString &name, BrowserCommands::Failure failure)
{
    const std::optional<QString> page = docsPagePath(m_options.programFolder, name);
    if (!page) {
        m_host->messageBox(missingDocsPageMessage(m_options.programFolder, name), kCaption, MessageIcon::Information,
                           MessageButtons::Ok);
        return;
    }
    m_commands->navigate(QUrl::fromLocalFile(*page).toString(), failure);
}

void MainWindow::showCommands()
{
    openDocsPage(kCommandReferencePage, BrowserCommands::Failure::Report);
}

void MainWindow::showUserGuide()
{
    openDocsPage(kUserGuidePage, BrowserCommands::Failure::Report);
}

AboutBox *MainWindow::aboutBox() const
{
    return m_about.data();
}

void MainWindow::showAbout()
{
    if (!m_about) {
        m_about = new AboutBox([this] { openDocsPage(kUserGuidePage, BrowserCommands::Failure::Ignore); });
        m_about->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void MainWindow::showRecordOptions()
{
    auto *dialog = new RecordOptionsDialog(*m_settings, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void MainWindow::showElementWait()
{
    auto *dialog = new ElementWaitDialog(*m_settings, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, &MainWindow::applyElementWait);
    dialog->open();
}

void MainWindow::applyElementWait()
{
    m_automation->state.elementWaitMs = storedElementWaitMs(*m_settings, m_browser->engine());
}

void MainWindow::showProxyOptions()
{
    auto *dialog = new ProxyDialog(*m_settings, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &ProxyDialog::proxyChosen, this, [this](const QString &proxy) { m_browser->setProxy(proxy); });
    dialog->open();
}

void MainWindow::selectBrowserEngine(BrowserEngine engine)
{
    m_menus->builtinEngineAction->setChecked(engine == BrowserEngine::Builtin);
    m_menus->chromiumAction->setChecked(engine == BrowserEngine::Chromium);
    if (engine == m_browser->engine())
        return;
    storeBrowserEngine(*m_settings, engine);
    applyElementWait();
    // The old engine's windows are let go by the attach before the engine itself ends.
    const std::unique_ptr<Browser> previous = m_browser->select(engine);
    CurrentDoc.reset();
    m_automation->connection.attachBrowser();
    if (isVisible())
        placeBrowserWindowsBeside(*this);
}

void MainWindow::updateTitle()
{
    const QString file = m_library->scriptFile();
    const QString modified = m_editor->document()->isModified() ? QStringLiteral("*") : QString();
    setWindowTitle(file.isEmpty() ? modified + kCaption
                                  : modified + QFileInfo(file).completeBaseName() + QStringLiteral(" - ") + kCaption);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!m_library->settleUnsavedChanges()) {
        event->ignore();
        return;
    }
    runStep([this] { m_placement->save(); });
    event->accept();
    hide();
    runStep([this] {
        makeNotTopMost(*this);
        m_menus->onTopAction->setChecked(false);
    });
    if (m_about)
        m_about->close();
    m_lastPageWatch.stop();
    m_ended = true;
    emit programEnded();
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    layoutControls();
}

void MainWindow::layoutControls()
{
    const int dpi = logicalDpi(*this);
    const int W = pixelsToTwips(frameGeometry().width(), dpi);
    const int H = pixelsToTwips(height() - centralWidget()->y(), dpi);
    const int S = pixelsToTwips(statusBar()->isVisible() ? statusBar()->height() : 0, dpi);
    FormLayout::layoutControls(m_boxes, W, H, S, m_treeWidth);
    applyFormBoxes(m_boxes, dpi, *m_tree, *m_editor, *m_list);
    m_divider->setGeometry(twipsToPixels(QRect(m_boxes.tree.width, 0, FormLayout::kGap, m_boxes.tree.height), dpi, dpi));
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    layoutControls();
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    // Once the window has its frame, the browser takes its place beside it.
    m_placement->settle([this] {
        if (m_browser->engine() == BrowserEngine::Builtin)
            placeBrowserWindowsBeside(*this);
    });
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    // The library keeps the right button's press from moving the selection; its release pops up
    // the Scripts menu for the node selected before.
    if (watched == m_tree->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        m_library->showContextMenu(mouse->button(), mouse->globalPosition().toPoint(), *m_menus->scriptsMenu);
    }
    return QMainWindow::eventFilter(watched, event);
}
