#include "AppTesting.h"
#include "PersonAtWindow.h"
#include "QtPrinters.h"
#include "QtWait.h"
#include "TestServer.h"

#include "browser/Automation.h"
#include "engine/ScriptRunner.h"
#include "library/EditorText.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>

#include <tuple>

namespace {

// What reached the server, in order: method, target and body of each request.
std::vector<std::tuple<std::string, std::string, std::string>> sentRequests(const TestServer &server)
{
    std::vector<std::tuple<std::string, std::string, std::string>> sent;
    for (const auto &request : server.pageRequests())
        sent.emplace_back(request.method, request.target(), request.body);
    return sent;
}


} // namespace

TEST_F(AppTest, RecordWritesAPersonsActionsIntoTheEditorAndTheScriptReplaysThem)
{
    TestServer &server = this->server();
    server.page("/form", "<title>Form</title><form method=post action=\"/submit\">"
                         "<p><input name=user id=user> <input type=password name=pass id=pass>"
                         "<p><input type=checkbox name=agree id=agree value=yes> <input type=submit id=send value=Send></form>");
    server.page("/submit", "<title>Sent</title><p><a id=first href=\"/a?x=1\">Same text</a> "
                           "<a id=second href=\"/a?x=2\">Same text</a><form action=\"/find\"><input name=q id=q></form>");
    server.page("/a", "<title>A</title><p>A page");
    server.page("/find", "<title>Found</title><p><input name=more id=more><p><a id=pop href=\"/popup\" target=_blank>Pop up</a>");
    server.page("/popup", "<title>Popup</title><p>Popup");
    start();

    // Record Options: passwords as typed, kept in the settings store.
    choose("recordOptionsAction");
    QDialog *options = window->findChild<QDialog *>("recordOptions");
    ASSERT_TRUE(options && options->isVisible());
    auto *askForPasswords = options->findChild<QCheckBox *>("askForPasswords");
    EXPECT_TRUE(askForPasswords->isChecked()) << "passwords are asked for unless the person says otherwise";
    QTest::mouseClick(askForPasswords, Qt::LeftButton);
    QTest::mouseClick(options->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return !window->findChild<QDialog *>("recordOptions"); }));
    EXPECT_FALSE(settings()->value("Record/AskForPasswords").toBool());
    choose("recordOptionsAction");
    EXPECT_FALSE(window->findChild<QDialog *>("recordOptions")->findChild<QCheckBox *>("askForPasswords")->isChecked());
    window->findChild<QDialog *>("recordOptions")->reject();

    auto *editor = window->findChild<QPlainTextEdit *>("scriptEditor");
    setEditorText(*editor, {});
    auto *indicator = window->findChild<QLabel *>("recordingPanel");
    EXPECT_EQ(indicator->parentWidget(), static_cast<QWidget *>(window->statusBar()));
    EXPECT_FALSE(indicator->isVisible());
    choose("recordAction");
    EXPECT_TRUE(action("recordAction").isChecked());
    EXPECT_TRUE(indicator->isVisible());
    EXPECT_EQ(indicator->text(), "Recording");

    server.clearRequests();
    const PersonAtWindow person(attachedWindow());
    ASSERT_TRUE(person.typeAddress(server.url("/form")));
    person.type("user", "ann");
    person.type("pass", "s3cret");
    person.click("agree");
    ASSERT_TRUE(person.clickTo("send", server.url("/submit")));
    ASSERT_TRUE(person.clickTo("second", server.url("/a?x=2")));
    ASSERT_TRUE(person.backTo(server.url("/submit")));
    ASSERT_TRUE(person.clickTo("first", server.url("/a?x=1")));
    ASSERT_TRUE(person.backTo(server.url("/submit")));
    // Enter in a form without a button: the address it asks for.
    person.type("q", "last");
    person.pressEnterIn("q");
    ASSERT_TRUE(person.isAt(server.url("/find?q=last")));
    person.click("pop");
    ASSERT_TRUE(waitUntil([&] { return sentRequests(server).size() == 6; }));
    person.type("more", "pending");
    // Stopping writes the field changed since the last action.
    choose("recordAction");
    EXPECT_FALSE(indicator->isVisible());
    EXPECT_EQ(window->editorText(), "nav;" + server.url("/form")
                                        + "\r\nfill;user;ann\r\nfill;pass;s3cret\r\nclickitem;agree;0\r\nclickbutton;Send;true"
                                          "\r\nclickelementbyid;second;true\r\nback\r\nclink;Same text\r\nback\r\nfill;q;last\r\nnav;"
                                        + server.url("/find?q=last") + "\r\nclinknew;Pop up\r\nfill;more;pending");
    const auto recorded = sentRequests(server);
    ASSERT_EQ(recorded.size(), 6u);
    EXPECT_EQ(std::get<2>(recorded[1]), "user=ann&pass=s3cret&agree=yes");

    // Reset, Run: the same requests, in the same order, with the same bodies.
    server.clearRequests();
    choose("resetAction");
    choose("runAction");
    ASSERT_TRUE(waitUntil([&] { return !window->automation().runner.tickTimer().isActive(); }, 30000));
    ASSERT_TRUE(waitUntil([&] { return sentRequests(server).size() >= recorded.size(); }));
    EXPECT_EQ(panel1(), "Finished Executing ");
    EXPECT_EQ(sentRequests(server), recorded);
}
