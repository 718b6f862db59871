#include "AppTesting.h"
#include "QtPrinters.h"
#include "QtWait.h"
#include "TestServer.h"

#include "RecordingHost.h"

#include "app/BrowserCommands.h"
#include "app/FileDialog.h"
#include "app/LinkListFile.h"
#include "app/LinkListView.h"
#include "browser/builtin/BuiltinBrowser.h"
#include "library/CommonDialog.h"
#include "browser/Automation.h"
#include "browser/builtin/BuiltinWindow.h"

#include <QAction>
#include <QFileInfo>
#include <QListWidget>
#include <QMessageBox>
#include <QTest>

namespace {

QStringList listed(const MainWindow &window)
{
    QStringList texts;
    const auto *list = window.findChild<QListWidget *>("linkListWidget");
    for (int row = 0; row < list->count(); ++row)
        texts.append(list->item(row)->text());
    return texts;
}

// A dialog that answers at once with a set file name.
struct FixedDialog : CommonDialog {
    QString fileName() const override { return name; }
    void setFileName(const QString &fileName) override { name = fileName; }
    bool showOpen() override { return confirms; }
    bool showSave() override { return confirms; }

    QString name;
    bool confirms = true;
};

} // namespace

TEST(LinkListFile, LinesBecomeEntriesAndEntriesBecomeCrLfLines)
{
    const std::pair<QByteArray, QStringList> reads[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"\r\n", {""}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"http://x/?a=1&b=2\r\nhttp://y/", {"http://x/?a=1&b=2", "http://y/"}},
    };
    for (const auto &[bytes, entries] : reads)
        EXPECT_EQ(linkEntriesFromBytes(bytes), entries) << bytes.toStdString();

    EXPECT_EQ(linkFileBytes({}), "");
    EXPECT_EQ(linkFileBytes({"a", "", "b"}), "a\r\n\r\nb\r\n");
}

TEST_F(AppTest, ListFilesRoundTripThroughTheDialogs)
{
    start();
    const QString source = tempPath("links.txt");
    writeFile(source, "http://a/\r\nhttp://b/\r\nhttp://c/");
    {
        ModalAnswers answers({[&](QWidget &d) { chooseFile(d, source); }, [&](QWidget &d) { chooseFile(d, source); }});
        choose("openListAction");
        choose("openListAction");
    }
    EXPECT_EQ(listed(*window), (QStringList{"http://a/", "http://b/", "http://c/", "http://a/", "http://b/", "http://c/"}));
    EXPECT_FALSE(window->findChild<QListWidget *>("linkListWidget")->isVisible()) << "opening a file does not show the list";

    const QString saved = tempPath("saved.txt");
    {
        ModalAnswers answers({[&](QWidget &d) { chooseFile(d, saved); }});
        choose("saveListAction");
    }
    EXPECT_EQ(fileBytes(saved), "http://a/\r\nhttp://b/\r\nhttp://c/\r\nhttp://a/\r\nhttp://b/\r\nhttp://c/\r\n");

    choose("clearListAction");
    EXPECT_TRUE(listed(*window).isEmpty());
    const QString empty = tempPath("empty.txt");
    {
        ModalAnswers answers({[&](QWidget &d) { chooseFile(d, empty); }});
        choose("saveListAction");
    }
    EXPECT_EQ(fileBytes(empty), "");
}

TEST_F(AppTest, CancelledListDialogsDoNothing)
{
    start();
    const QString existing = tempPath("keep.txt");
    writeFile(existing, "http://kept/\r\n");
    window->fileDialog().setFileName(existing); // what a cancelled dialog would otherwise act on
    window->automation().linkList.append(QStringList{"http://one/"});
    {
        ModalAnswers answers({rejectDialog, rejectDialog});
        choose("openListAction");
        choose("saveListAction");
        EXPECT_EQ(answers.answered(), 2);
    }
    EXPECT_EQ(listed(*window), QStringList{"http://one/"});
    EXPECT_EQ(fileBytes(existing), "http://kept/\r\n");
}

TEST(LinkListView, AFailedWriteOrUnreadableFileSaysSo)
{
    RecordingHost host;
    BuiltinBrowser browser;
    Automation automation(host, browser);
    BrowserCommands commands(automation.connection, host);
    QListWidget list;
    QAction separator;
    QAction hideItem;
    FixedDialog dialog;
    LinkListView view(automation.linkList, list, separator, hideItem, dialog, commands, host);
    automation.linkList.append(QStringList{"http://one/"});
    const QTemporaryDir folder;

    dialog.name = folder.filePath("no-such-folder/links.txt");
    view.saveLinkList();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "The link list could not be saved to " + dialog.name + ".");
    EXPECT_FALSE(QFileInfo::exists(dialog.name));

    dialog.name = folder.path(); // a folder: no file to read, nothing happens
    view.openLinkList();
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(automation.linkList.entries(), QStringList{"http://one/"});

    dialog.confirms = false;
    dialog.name = folder.filePath("never.txt");
    view.saveLinkList();
    EXPECT_FALSE(QFileInfo::exists(dialog.name));
}

TEST_F(AppTest, LinksShowTheListAndHideLinkListHidesItAgain)
{
    TestServer &server = this->server();
    server.page("/", "<html><body><a href=\"/one\">One</a><a href=\"/two\">Two</a></body></html>");
    start();
    attachedWindow().navigate(server.url("/"));
    ASSERT_TRUE(waitUntil([&] { return !attachedWindow().isBusy() && attachedWindow().document(); }));

    choose("linksAction");
    EXPECT_EQ(listed(*window), (QStringList{server.url("/one"), server.url("/two")}));
    EXPECT_EQ(panel1(), "2 HREF's found in the current document.");
    EXPECT_TRUE(window->findChild<QListWidget *>("linkListWidget")->isVisible());
    EXPECT_TRUE(action("hideLinkSeparator").isVisible());
    EXPECT_TRUE(action("hideLinkAction").isVisible());

    choose("hideLinkAction");
    EXPECT_FALSE(window->findChild<QListWidget *>("linkListWidget")->isVisible());
    EXPECT_FALSE(action("hideLinkSeparator").isVisible());
    EXPECT_TRUE(action("hideLinkAction").isVisible());
}

TEST_F(AppTest, ClickingAnEntryNavigatesAndADoubleClickAlsoHidesTheList)
{
    TestServer &server = this->server();
    server.page("/one", "<html><body>one</body></html>");
    server.page("/two", "<html><body>two</body></html>");
    start();
    window->automation().linkList.append(QStringList{server.url("/one"), server.url("/two")});
    window->automation().linkList.show();
    auto *list = window->findChild<QListWidget *>("linkListWidget");

    const QRect first = list->visualItemRect(list->item(0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first.center());
    ASSERT_TRUE(waitUntil([&] { return attachedWindow().locationUrl() == server.url("/one"); }));
    EXPECT_EQ(list->toolTip(), server.url("/one"));
    EXPECT_TRUE(list->isVisible());

    const QRect second = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second.center());
    ASSERT_TRUE(waitUntil([&] { return attachedWindow().locationUrl() == server.url("/two"); }))
        << attachedWindow().locationUrl().toStdString() << " " << list->isVisible() << " " << list->toolTip().toStdString();
    EXPECT_FALSE(list->isVisible());
    EXPECT_TRUE(action("hideLinkAction").isVisible()) << "a double-click hides only the list";
}

TEST_F(AppTest, AClickWithTheBrowserClosedOnlySaysSo)
{
    start();
    window->automation().linkList.append(QStringList{"http://127.0.0.1:9/"});
    window->automation().linkList.show();
    attachedWindow().quit();
    auto *list = window->findChild<QListWidget *>("linkListWidget");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    EXPECT_EQ(panel1(), "The browser window has been closed.");
}
