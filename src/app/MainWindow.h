#pragma once

#include "app/BrowserCommands.h"
#include "app/FormLayout.h"
#include "app/SelectableBrowser.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <memory>

class FileDialog;
class LinkListView;
class QLabel;
class QListWidget;
class RunLogView;
class RunView;
class ScriptEditor;
class ScriptHighlighter;
class QSettings;
class QTreeWidget;
class ScriptLibrary;
class ScriptRecording;
class WindowHost;
class WindowPlacement;
class AboutBox;
struct Automation;
struct MainMenus;

// What the program is started with.
struct MainWindowOptions {
    QString settingsApplication; // the settings store's application name
    QString libraryRoot;         // the Scripts folder
    QString commandLine;         // the arguments joined by single blanks
    QString programFolder;       // the folder the program lies in: the docs are sought from it
    std::chrono::milliseconds countdownTick{1000}; // the command-line countdown's second; tests shorten it
};

// The options of a program started with these arguments (the program's path first).
[[nodiscard]] MainWindowOptions defaultMainWindowOptions(const QStringList &arguments);

// MainWindow: the script tree, the editor, the link list and the status bar, the menus, the
// browser connection and the runner. startUp starts it up; closing it saves its place and
// ends the program (programEnded).
class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kClockInterval = 1000;
    static constexpr int kCheckDelayMs = 400;
    // The client area the window opens with while no size is stored, in twips.
    static constexpr int kDesignedClientWidth = 6405;
    static constexpr int kDesignedClientHeight = 2655;

    explicit MainWindow(MainWindowOptions options);
    ~MainWindow() override;

    void startUp();

    void runScript();
    void resetRun();
    void updateClock();
    void toggleToolbars();
    void closeAllWindows();
    void toggleOnTop();
    void showCommands();
    void showUserGuide();
    void showAbout();
    void showRecordOptions();
    void showElementWait();
    // The run takes the element wait kept for the engine in use.
    void applyElementWait();
    void showProxyOptions();
    // Drives the given engine from now on, keeping the choice in the settings store.
    void selectBrowserEngine(BrowserEngine engine);

    [[nodiscard]] Automation &automation() { return *m_automation; }
    [[nodiscard]] FileDialog &fileDialog() { return *m_dialog; }
    [[nodiscard]] QTimer &clockTimer() { return m_clockTimer; }
    [[nodiscard]] QString editorText() const;
    [[nodiscard]] AboutBox *aboutBox() const;
    // The window has closed, and the program ends with this status.
    [[nodiscard]] bool hasEnded() const { return m_ended; }
    [[nodiscard]] int exitCode() const { return m_exitCode; }

signals:
    // The window has closed: the program ends.
    void programEnded();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void connectMenus();
    void connectRunControls();
    void connectRecording();
    void checkScriptText();
    // The caption names the editor's script and marks unsaved changes: "*Login - NavRelay".
    void updateTitle();
    void layoutControls();
    void restorePosition();
    void startFromCommandLine();
    // The end of a command-line run: the window closes once the last line's page has arrived
    // or its load has failed, so that the page's request does not die with the program.
    void closeAfterLastPage();
    // Opens the docs page in the attached browser, or says that it is missing.
    void openDocsPage(const QString &name, BrowserCommands::Failure failure);

    MainWindowOptions m_options;
    std::unique_ptr<QSettings> m_settings;
    QTreeWidget *m_tree = nullptr;
    ScriptEditor *m_editor = nullptr;
    ScriptHighlighter *m_highlighter = nullptr;
    QLabel *m_runPanel = nullptr;
    QLabel *m_recordingPanel = nullptr;
    QListWidget *m_list = nullptr;
    QLabel *m_panel1 = nullptr;
    QLabel *m_panel2 = nullptr;
    std::unique_ptr<MainMenus> m_menus;
    FormBoxes m_boxes;
    int m_treeWidth = FormLayout::kTreeWidth; // twips; the divider changes it
    PaneDivider *m_divider = nullptr;
    QTimer m_clockTimer;
    QTimer m_checkDelay; // the script is checked once typing pauses
    QTimer m_lastPageWatch;
    std::unique_ptr<WindowHost> m_host;
    std::unique_ptr<SelectableBrowser> m_browser;
    std::unique_ptr<ScriptRecording> m_recording; // holds a receiver the browser is given: goes before it
    std::unique_ptr<Automation> m_automation;
    std::unique_ptr<RunView> m_runView; // watches the runner: goes before it
    RunLogView *m_runLog = nullptr;
    std::unique_ptr<BrowserCommands> m_commands;
    std::unique_ptr<FileDialog> m_dialog;
    std::unique_ptr<LinkListView> m_linkListView;
    std::unique_ptr<ScriptLibrary> m_library;
    QPointer<AboutBox> m_about;
    std::unique_ptr<WindowPlacement> m_placement;
    bool m_shownOnce = false;
    bool m_ended = false;
    int m_exitCode = 0;
};
