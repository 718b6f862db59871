#include "AppTesting.h"
#include "QtWait.h"

#include "app/WindowHost.h"

#include "QtWait.h"
#include "TestServer.h"

#include "browser/Automation.h"
#include "browser/builtin/BuiltinWindow.h"

#include <QAction>
#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

namespace {

constexpr int kWatchIntervalMs = 10;

// The settings store's path is taken once per process, so one folder serves every test of the
// process; each test empties the store first.
void useTemporaryConfigFolder()
{
    static const QTemporaryDir folder;
    static const bool set = qputenv("XDG_CONFIG_HOME", folder.path().toLocal8Bit());
    Q_UNUSED(set);
}

MainWindowOptions testOptions(const QString &libraryRoot, const QString &commandLine, const QString &programFolder = {})
{
    MainWindowOptions options = defaultMainWindowOptions({QCoreApplication::applicationFilePath()});
    options.libraryRoot = libraryRoot;
    options.commandLine = commandLine;
    options.programFolder = programFolder.isEmpty() ? buildProgramFolder() : programFolder;
    return options;
}

} // namespace

ModalAnswers::ModalAnswers(std::deque<Answer> answers)
    : m_answers(std::move(answers))
{
    watch();
}

ModalAnswers::~ModalAnswers() = default;

void ModalAnswers::watch()
{
    // A fresh timer each time, so that a dialog opened by an answer is seen while it runs.
    QTimer::singleShot(kWatchIntervalMs, &m_context, [this] {
        watch();
        answerOpenDialog();
    });
}

void ModalAnswers::answerOpenDialog()
{
    QWidget *dialog = QApplication::activeModalWidget();
    if (!dialog || dialog == m_last.data())
        return;
    m_last = dialog;
    if (m_answers.empty()) {
        dialog->close();
        return;
    }
    const Answer answer = std::move(m_answers.front());
    m_answers.pop_front();
    ++m_answered;
    const QPointer<QWidget> answered(dialog);
    answer(*dialog);
    if (answered && answered->isVisible())
        answered->close();
}

void pressMessageButton(QWidget &dialog, int standardButton)
{
    auto *box = qobject_cast<QMessageBox *>(&dialog);
    if (!box) {
        ADD_FAILURE() << "a message box was expected, not " << dialog.metaObject()->className();
        dialog.close();
        return;
    }
    QAbstractButton *button = box->button(QMessageBox::StandardButton(standardButton));
    if (!button) {
        ADD_FAILURE() << "the message box has no such button: " << box->text().toStdString();
        box->close();
        return;
    }
    button->click();
}

void answerInput(QWidget &dialog, const QString &text)
{
    auto *input = qobject_cast<QInputDialog *>(&dialog);
    if (!input) {
        ADD_FAILURE() << "an input box was expected, not " << dialog.metaObject()->className();
        dialog.close();
        return;
    }
    input->setTextValue(text);
    input->accept();
}

void chooseFile(QWidget &dialog, const QString &path)
{
    auto *files = qobject_cast<QFileDialog *>(&dialog);
    if (!files) {
        ADD_FAILURE() << "a file dialog was expected, not " << dialog.metaObject()->className();
        dialog.close();
        return;
    }
    // Typed into the name field with nothing picked in the list, as a user would choose a new
    // file: selectFile() leaves a focused field alone, and a picked file wins over the field.
    auto *name = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    auto *list = files->findChild<QAbstractItemView *>(QStringLiteral("listView"));
    if (!name || !list) {
        ADD_FAILURE() << "the file dialog has no name field or file list";
        dialog.close();
        return;
    }
    list->clearSelection();
    name->setText(path);
    static_cast<QDialog *>(files)->accept();
}

void rejectDialog(QWidget &dialog)
{
    if (auto *modal = qobject_cast<QDialog *>(&dialog))
        modal->reject();
    else
        dialog.close();
}

AppTest::AppTest()
{
    useTemporaryConfigFolder();
    settings()->clear();
}

AppTest::~AppTest()
{
    window.reset();
    settings()->clear();
}

QString buildProgramFolder()
{
    return QFileInfo(QStringLiteral(NAVRELAY_APP_PATH)).absolutePath();
}

MainWindow &AppTest::start(const QString &commandLine, const QString &programFolder)
{
    window = std::make_unique<MainWindow>(testOptions(libraryRoot(), commandLine, programFolder));
    window->startUp();
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    return *window;
}

MainWindow &AppTest::loadCommandLineStart(const QString &scriptName)
{
    MainWindowOptions options = testOptions(libraryRoot(), scriptName);
    options.countdownTick = std::chrono::milliseconds(1);
    window = std::make_unique<MainWindow>(options);
    programEnded = false;
    QObject::connect(window.get(), &MainWindow::programEnded, [this] { programEnded = true; });
    window->startUp();
    return *window;
}

void AppTest::closeWindow()
{
    window->close();
}

std::unique_ptr<QSettings> AppTest::settings() const
{
    const QString application = defaultMainWindowOptions({}).settingsApplication;
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("NavRelay"),
                                       application);
}

void AppTest::storePosition(const QString &key, const QString &value)
{
    settings()->setValue(QStringLiteral("Pos/") + key, value);
}

BuiltinWindow &AppTest::attachedWindow()
{
    auto attached = window->automation().connection.attachedWindow();
    auto *builtin = dynamic_cast<BuiltinWindow *>(attached.get());
    if (!builtin)
        throw std::runtime_error("no built-in browser window is attached");
    return *builtin;
}

QString AppTest::panel1() const
{
    spinEvents(WindowHost::kStatusPaintMs + 20); // the panel shows a text that came fast a moment later
    return window->findChild<QLabel *>(QStringLiteral("Panel1"))->text();
}

QString AppTest::panel2() const
{
    return window->findChild<QLabel *>(QStringLiteral("Panel2"))->text();
}

QAction &AppTest::action(const char *name) const
{
    auto *found = window->findChild<QAction *>(QLatin1String(name));
    if (!found)
        throw std::runtime_error(std::string("no menu item ") + name);
    return *found;
}

QMenu &AppTest::menu(const char *name) const
{
    auto *found = window->findChild<QMenu *>(QLatin1String(name));
    if (!found)
        throw std::runtime_error(std::string("no menu ") + name);
    return *found;
}

void AppTest::choose(const char *name) const
{
    action(name).trigger();
}

TestServer &AppTest::server()
{
    if (!m_server)
        m_server = std::make_unique<TestServer>();
    return *m_server;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}
