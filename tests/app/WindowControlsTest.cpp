#include "AppTesting.h"
#include "QtPrinters.h"
#include "QtWait.h"
#include "TestServer.h"

#include "about/AboutBox.h"
#include "browser/Automation.h"
#include "browser/builtin/BuiltinWindow.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace {

int openAboutBoxes()
{
    int count = 0;
    for (const QWidget *widget : QApplication::topLevelWidgets())
        count += qobject_cast<const AboutBox *>(widget) && widget->isVisible() ? 1 : 0;
    return count;
}

QString labelText(const QWidget &box, const char *name)
{
    const auto *label = box.findChild<QLabel *>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<none>");
}

} // namespace

TEST_F(AppTest, ToolbarsTwiceHidesAndShowsTheBrowsersBars)
{
    start();
    choose("toolbarsAction");
    EXPECT_FALSE(attachedWindow().toolBarVisible());
    EXPECT_FALSE(attachedWindow().statusBarVisible());
    EXPECT_FALSE(action("toolbarsAction").isChecked());
    choose("toolbarsAction");
    EXPECT_TRUE(attachedWindow().toolBarVisible());
    EXPECT_TRUE(attachedWindow().statusBarVisible());
    EXPECT_TRUE(action("toolbarsAction").isChecked());
}

TEST_F(AppTest, BrowserCommandsWithTheBrowserClosedChangeNothingAndSaySo)
{
    start();
    BuiltinWindow &attached = attachedWindow();
    const auto other = window->automation().connection.browser().createWindow();
    attached.quit();

    choose("toolbarsAction");
    EXPECT_TRUE(action("toolbarsAction").isChecked());
    EXPECT_EQ(panel1(), "The browser window has been closed.");
    choose("closeAllAction");
    EXPECT_EQ(window->automation().connection.browser().windows().size(), 1u) << "the other window stays";
    choose("commandsAction");
    EXPECT_EQ(panel1(), "The browser window has been closed.");
    choose("linksAction");
    choose("allSize3Action");
    choose("selectionSize4Action");
}

TEST_F(AppTest, CloseAllKeepsTheAttachedWindowAndThoseAtTheSameAddress)
{
    TestServer &server = this->server();
    for (const char *path : {"/a", "/b", "/c"})
        server.page(path, "<html><body>page</body></html>");
    start();
    Browser &browser = window->automation().connection.browser();
    const auto load = [&](BrowserWindow &target, const char *path) {
        target.navigate(server.url(path));
        ASSERT_TRUE(waitUntil([&] { return !target.isBusy() && target.locationUrl() == server.url(path); }));
    };
    load(attachedWindow(), "/a");
    const auto second = browser.createWindow();
    const auto third = browser.createWindow();
    const auto same = browser.createWindow();
    load(*second, "/b");
    load(*third, "/c");
    load(*same, "/a");

    choose("closeAllAction");
    const auto open = browser.windows();
    ASSERT_EQ(open.size(), 2u);
    EXPECT_EQ(open[0].get(), window->automation().connection.attachedWindow().get());
    EXPECT_EQ(open[1], same);
}

TEST_F(AppTest, OnTopTwiceEndsNotTopmostAndUnchecked)
{
    start();
    choose("onTopAction");
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(action("onTopAction").isChecked());
    EXPECT_TRUE(window->isVisible());
    choose("onTopAction");
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(action("onTopAction").isChecked());
    EXPECT_TRUE(window->isVisible());

    choose("onTopAction");
    closeWindow();
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) << "closing takes it out of the band";
}

TEST_F(AppTest, CommandsOpensTheCommandReferenceInTheAttachedBrowser)
{
    start();
    choose("commandsAction");
    ASSERT_TRUE(waitUntil([&] { return attachedWindow().locationUrl().endsWith("/docs/commands.html"); }))
        << attachedWindow().locationUrl().toStdString();
    ASSERT_TRUE(waitUntil([&] { return !attachedWindow().isBusy(); }));
    EXPECT_TRUE(attachedWindow().title().startsWith("NavRelay command reference")) << attachedWindow().title().toStdString();
}

TEST_F(AppTest, AboutTwiceShowsOneBoxWithItsCaptions)
{
    start();
    choose("aboutAction");
    AboutBox *box = window->aboutBox();
    ASSERT_NE(box, nullptr);
    choose("aboutAction");
    EXPECT_EQ(window->aboutBox(), box);
    EXPECT_EQ(openAboutBoxes(), 1);
    EXPECT_EQ(box->parentWidget(), nullptr) << "the box has no owner";
    EXPECT_FALSE(box->isModal());

    EXPECT_EQ(box->windowTitle(), "About NavRelay");
    EXPECT_EQ(labelText(*box, "titleLabel"), "NavRelay 2.5");
    EXPECT_EQ(labelText(*box, "buildLabel"), "Build: 7");
    EXPECT_EQ(labelText(*box, "Label1"), "Released: July 4, 2006");
    EXPECT_EQ(box->findChild<QPushButton *>("okButton")->text(), "OK");
    EXPECT_EQ(box->findChild<QPushButton *>("systemInfoButton")->text(), "&System Info...");

    // HERE opens the home page in the attached browser.
    emit box->findChild<QLabel *>("Label2")->linkActivated("home");
    ASSERT_TRUE(waitUntil([&] { return attachedWindow().locationUrl().endsWith("/docs/user-guide.html"); }));

    box->findChild<QPushButton *>("okButton")->click();
    EXPECT_EQ(openAboutBoxes(), 0);
    choose("aboutAction");
    EXPECT_EQ(openAboutBoxes(), 1);
}

TEST(AboutBox, RevisionIsTheFourthPartOfTheVersion)
{
    const std::pair<QString, int> cases[] = {{"2.5.0.7", 7}, {"2.5", 0}, {"1.2.3.45", 45}, {"", 0}};
    for (const auto &[version, revision] : cases)
        EXPECT_EQ(AboutBox::revisionOf(version), revision) << version.toStdString();
}

TEST(AboutBox, SystemInfoStartsTheFirstProgramFoundOrSaysItIsUnavailable)
{
    const QTemporaryDir folder;
    const QString marker = folder.filePath("started");
    {
        QFile program(folder.filePath("gnome-system-monitor"));
        ASSERT_TRUE(program.open(QIODevice::WriteOnly));
        program.write(("#!/bin/sh\ntouch '" + marker + "'\n").toLocal8Bit());
        program.close();
        program.setPermissions(program.permissions() | QFile::ExeOwner);
    }
    AboutBox withTool([] {}, {folder.path()});
    withTool.startSystemInformation();
    EXPECT_TRUE(waitUntil([&] { return QFile::exists(marker); }));

    const QTemporaryDir empty;
    AboutBox withoutTool([] {}, {empty.path()});
    QString title;
    QString text;
    ModalAnswers answers({[&](QWidget &dialog) {
        if (auto *box = qobject_cast<QMessageBox *>(&dialog)) {
            title = box->windowTitle();
            text = box->text();
        }
        pressMessageButton(dialog, QMessageBox::Ok);
    }});
    withoutTool.startSystemInformation();
    EXPECT_EQ(title, "NavRelay");
    EXPECT_EQ(text, "System Information Is Unavailable At This Time");
}
