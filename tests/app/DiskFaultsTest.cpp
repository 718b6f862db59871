// The window when the disk lets it down: a Save that cannot write, a settings store that cannot
// be written, and a Scripts folder deleted while the window shows it.
#include "AppTesting.h"
#include "QtPrinters.h"
#include "QtWait.h"

#include "app/LinkListFile.h"
#include "library/EditorText.h"

#include <QDir>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTest>
#include <QTreeWidget>

#include <csignal>
#include <sys/resource.h>

namespace {

// Files of the process may not grow past the given size while it lives, as on a full disk: a
// write past it fails with an error instead of the signal it would raise.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_savedHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_saved;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { lift(); }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    void lift()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_savedHandler);
    }

private:
    rlimit m_saved{};
    void (*m_savedHandler)(int) = SIG_DFL;
};

// Points the settings store of every QSettings made from now on at the folder, until it ends.
class SettingsStoreAt {
public:
    explicit SettingsStoreAt(const QString &folder)
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    }
    ~SettingsStoreAt()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, qEnvironmentVariable("XDG_CONFIG_HOME"));
    }
};


// Keeps the text of a message box and presses its OK.
ModalAnswers::Answer readMessage(QString &text)
{
    return [&text](QWidget &dialog) {
        if (auto *box = qobject_cast<QMessageBox *>(&dialog))
            text = box->text();
        pressMessageButton(dialog, QMessageBox::Ok);
    };
}

class DiskFaultsTest : public AppTest {
protected:
    [[nodiscard]] QTreeWidget &tree() const { return *window->findChild<QTreeWidget *>(QStringLiteral("scriptTree")); }
    [[nodiscard]] QTreeWidgetItem *script(int folder, int index) const
    {
        return tree().topLevelItem(folder)->child(index);
    }
    void clickNode(QTreeWidgetItem *node)
    {
        tree().expandAll();
        QTest::mouseClick(tree().viewport(), Qt::LeftButton, {}, tree().visualItemRect(node).center());
    }
    void setEditor(const QString &text) const
    {
        setEditorText(*window->findChild<QPlainTextEdit *>(QStringLiteral("scriptEditor")), text);
    }
    // Saves the editor to the file through the Save dialog, confirming the replacement of a file
    // that exists; the hook runs once the dialogs have closed, before the write. The message
    // shown, if any, is returned.
    QString saveTo(const QString &path, const std::function<void()> &beforeWrite = [] {})
    {
        QString message;
        std::deque<ModalAnswers::Answer> steps{[&](QWidget &d) { chooseFile(d, path); }};
        if (QFileInfo::exists(path))
            steps.push_back([](QWidget &d) { pressMessageButton(d, QMessageBox::Yes); });
        steps.back() = [&, answer = steps.back()](QWidget &d) {
            answer(d);
            beforeWrite();
        };
        steps.push_back(readMessage(message));
        ModalAnswers answers(std::move(steps));
        choose("saveScriptAction");
        return message;
    }
};

TEST_F(DiskFaultsTest, ASaveThatCannotWriteKeepsTheOldFileAndSaysSo)
{
    const QString login = libraryRoot() + "/Web/Login.txt";
    writeFile(login, "old\r\n");
    start();
    clickNode(script(0, 0));
    ASSERT_EQ(window->editorText(), "old");
    const QString longText = QString("nav;http://127.0.0.1/\r\n").repeated(400);
    setEditor(longText);

    // A full disk: the new text does not fit, the old text stays whole.
    std::optional<FileSizeLimit> fullDisk;
    QString message = saveTo(login, [&] { fullDisk.emplace(64); });
    fullDisk.reset();
    EXPECT_EQ(fileBytes(login), "old\r\n");
    EXPECT_TRUE(message.startsWith("The script could not be saved to " + login)) << message.toStdString();
    EXPECT_EQ(QDir(libraryRoot() + "/Web").entryList(QDir::Files), QStringList{"Login.txt"}) << "no temporary file is left";
    EXPECT_EQ(window->editorText(), longText);

    // With room again the same Save writes the text.
    message = saveTo(login);
    EXPECT_EQ(message, "");
    EXPECT_EQ(fileBytes(login), (longText + "\r\n").toUtf8());

    // A read-only place, for root too: nothing is made there.
    const QString readOnly = QStringLiteral("/proc/Login.txt");
    message = saveTo(readOnly);
    EXPECT_FALSE(QFileInfo::exists(readOnly));
    EXPECT_TRUE(message.startsWith("The script could not be saved to " + readOnly)) << message.toStdString();
    EXPECT_EQ(window->editorText(), longText);

    // A link list file on a full disk keeps its old entries too.
    const QString links = tempPath("links.txt");
    writeFile(links, "http://old/\r\n");
    {
        const FileSizeLimit full(16);
        EXPECT_FALSE(writeLinkFile(links, QStringList(100, QStringLiteral("http://new/"))));
    }
    EXPECT_EQ(fileBytes(links), "http://old/\r\n");
}

TEST_F(DiskFaultsTest, AnUnwritableSettingsStoreStopsNeitherTheStartNorTheRunNorTheEnd)
{
    const QTemporaryDir scratch;
    writeFile(scratch.filePath("file"), "not a folder");
    QDir().mkpath(scratch.filePath("folder/NavRelay/" + defaultMainWindowOptions({}).settingsApplication + ".conf"));
    // A store below a plain file, and a store whose file is a folder: neither can be written,
    // by root either.
    for (const QString &store : {scratch.filePath("file/config"), scratch.filePath("folder")}) {
        SCOPED_TRACE(store.toStdString());
        const SettingsStoreAt storeAt(store);
        {
            QSettings probe(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("NavRelay"),
                            defaultMainWindowOptions({}).settingsApplication);
            probe.setValue("key", "value");
            probe.sync();
            ASSERT_EQ(probe.status(), QSettings::AccessError) << "the store can be written after all";
        }
        writeFile(libraryRoot() + "/Web/Login.txt", "beep\r\n");
        loadCommandLineStart("Login").show();

        EXPECT_TRUE(waitUntil([&] { return programEnded; })) << "the command-line run ends the program";
        EXPECT_EQ(panel1(), "Finished Executing ");
        window.reset();
    }
}

TEST_F(DiskFaultsTest, AScriptsFolderDeletedWhileShownLosesNothingTheWindowHolds)
{
    writeFile(libraryRoot() + "/Web/Login.txt", "beep\r\n");
    writeFile(libraryRoot() + "/Web/Other.txt", "beep\r\nbeep\r\n");
    start();
    clickNode(script(0, 0));
    ASSERT_EQ(window->editorText(), "beep");
    setEditor("beep\r\nbeep\r\nbeep");
    ASSERT_TRUE(QDir(libraryRoot()).removeRecursively());

    // A click on a script that is gone keeps the editor's text.
    clickNode(script(0, 1));
    EXPECT_EQ(window->editorText(), "beep\r\nbeep\r\nbeep");

    choose("runAction");
    EXPECT_TRUE(waitUntil([&] { return panel1() == "Finished Executing "; }));

    // Save into the vanished folder says why it failed; the text stays in the editor.
    QString message;
    {
        ModalAnswers answers({[&](QWidget &d) { chooseFile(d, libraryRoot() + "/Web/Login.txt"); }, readMessage(message)});
        choose("saveScriptAction");
    }
    EXPECT_TRUE(message.startsWith("The script could not be saved to " + libraryRoot() + "/Web/Login.txt"))
        << message.toStdString();

    // Rename, Delete and New Folder of what is gone fail quietly, and the disk gains nothing.
    tree().setCurrentItem(script(0, 0));
    {
        ModalAnswers answers({[](QWidget &d) { answerInput(d, "Logon"); }, [](QWidget &d) { answerInput(d, "Mail"); },
                              [](QWidget &d) {
                                  ADD_FAILURE() << "no message was expected";
                                  rejectDialog(d);
                              }});
        choose("renameAction");
        choose("deleteAction");
        choose("newFolderAction");
    }
    EXPECT_FALSE(QFileInfo::exists(libraryRoot()));
    EXPECT_EQ(tree().topLevelItem(0)->childCount(), 2);

    // Saved elsewhere, the text is kept; the tree now shows the library as it is: gone.
    const QString elsewhere = tempPath("Kept.txt");
    EXPECT_EQ(saveTo(elsewhere), "");
    EXPECT_EQ(fileBytes(elsewhere), "beep\r\nbeep\r\nbeep\r\n");
    EXPECT_EQ(tree().topLevelItemCount(), 0);
    EXPECT_EQ(window->editorText(), "beep\r\nbeep\r\nbeep");
    window->findChild<QLabel *>(QStringLiteral("Panel1"))->clear();
    choose("runAction");
    EXPECT_TRUE(waitUntil([&] { return panel1() == "Finished Executing "; }));
}

} // namespace
