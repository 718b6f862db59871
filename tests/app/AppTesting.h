#pragma once

#include "app/MainWindow.h"

#include <QPointer>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>

class BuiltinWindow;
class QMenu;
class TestServer;

// Answers the modal dialogs that open while it lives, one answer each, in order. Whatever an
// answer leaves open is closed at once, so that a failed check inside it never leaves a dialog
// waiting; a dialog that opens when no answer is left is rejected.
class ModalAnswers {
public:
    using Answer = std::function<void(QWidget &dialog)>;

    explicit ModalAnswers(std::deque<Answer> answers);
    ~ModalAnswers();

    [[nodiscard]] int answered() const { return m_answered; }

private:
    void watch();
    void answerOpenDialog();

    std::deque<Answer> m_answers;
    QObject m_context;
    QPointer<QWidget> m_last;
    int m_answered = 0;
};

// Presses the standard button of the message box (a failed test if the dialog is none).
void pressMessageButton(QWidget &dialog, int standardButton);
// Chooses the file in the file dialog and accepts it.
void chooseFile(QWidget &dialog, const QString &path);
void rejectDialog(QWidget &dialog);
// Types the text into the input box and confirms it.
void answerInput(QWidget &dialog, const QString &text);

// A main window started as the program starts it: the settings store in a temporary folder of
// its own (XDG_CONFIG_HOME), the library in a fresh temporary folder, the built-in engine.
class AppTest : public ::testing::Test {
protected:
    AppTest();
    ~AppTest() override;

    // Creates the window and runs startUp, as a program in the build's folder or the given one,
    // and shows it.
    MainWindow &start(const QString &commandLine = {}, const QString &programFolder = {});
    // Creates the window for a command-line start of the named script, with a countdown that
    // ends at once, and runs startUp without showing it; programEnded turns true when the run
    // ends the program.
    MainWindow &loadCommandLineStart(const QString &scriptName);
    void closeWindow();
    // The settings store the window uses, read afresh.
    [[nodiscard]] std::unique_ptr<QSettings> settings() const;
    void storePosition(const QString &key, const QString &value);

    [[nodiscard]] QString libraryRoot() const { return m_library.path() + QStringLiteral("/Scripts"); }
    [[nodiscard]] QString tempPath(const QString &name) const { return m_files.filePath(name); }
    // The built-in browser window the main window is attached to.
    [[nodiscard]] BuiltinWindow &attachedWindow();
    [[nodiscard]] QString panel1() const;
    [[nodiscard]] QString panel2() const;
    [[nodiscard]] QAction &action(const char *name) const;
    [[nodiscard]] QMenu &menu(const char *name) const;
    // Triggers a menu item as a click on it would.
    void choose(const char *name) const;
    // A loopback server that outlives the window, so the browser's connections end first.
    [[nodiscard]] TestServer &server();

    std::unique_ptr<MainWindow> window;
    bool programEnded = false;

private:
    std::unique_ptr<TestServer> m_server;
    QTemporaryDir m_library;
    QTemporaryDir m_files;
};

// The folder of the build's navrelay, with the build's copy of the docs.
[[nodiscard]] QString buildProgramFolder();
[[nodiscard]] QByteArray fileBytes(const QString &path);
void writeFile(const QString &path, const QByteArray &bytes);
