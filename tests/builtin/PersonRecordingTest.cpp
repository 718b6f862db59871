#include "PersonAtWindow.h"
#include "QtPrinters.h"
#include "TestServer.h"

#include "browser/builtin/BuiltinBrowser.h"
#include "browser/builtin/view/ShowBuiltinWindows.h"
#include "page/ScriptRecorder.h"

#include <QListWidget>
#include <QTimer>

namespace {

const std::string kFormPage = R"(<title>Form</title>
<p id=plain>Some plain text to click on.</p>
<form method=post action="/submit">
<p><input name=user id=user> <input type=password name=pass id=pass>
<p><textarea name=note id=note></textarea>
<p><select name=colour id=colour size=3><option>red<option>green<option>blue</select>
<select name=drink id=drink><option>tea<option>coffee</select>
<p><input type=checkbox name=agree id=agree value=yes> <label id=agreeLabel for=agree>I agree</label>
<p><input type=radio name=size id=small value=s> <input type=radio name=size id=large value=l>
<p><input type=submit id=send value=Send>
</form>)";

const std::string kLinksPage = R"(<title>Links</title>
<p><a id=first href="/a?x=1">Same text</a> <a id=second href="/a?x=2">Same text</a>
<p><a href="/a?x=3">Other <b id=inner>words</b></a>
<p><a id=pop href="/popup" target="_blank">Pop up</a>)";

// A built-in window shown, with a recording on that keeps its lines.
struct RecordedWindow {
    BuiltinBrowser browser;
    std::shared_ptr<BuiltinWindow> window = browser.openWindow();
    QStringList lines;
    ScriptRecorder recorder{[this](const QString &line) { lines.append(line); }, {}};

    RecordedWindow()
    {
        showBuiltinWindows(browser);
        browser.setPersonActions(&recorder);
    }
};

} // namespace

TEST(PersonRecording, APersonsActionsInTheWindowBecomeLinesThatFindTheirElementsAgain)
{
    TestServer server;
    server.page("/form", kFormPage);
    server.page("/submit", kLinksPage);
    server.page("/a", "<title>A</title><p>A page");
    server.page("/popup", "<title>Popup</title><p><a id=onward href=\"/a?x=4\">Onward</a>");
    RecordedWindow shown;
    const PersonAtWindow person(*shown.window);

    ASSERT_TRUE(person.typeAddress(server.url("/form")));
    // Focusing a field or clicking plain text writes nothing; typed fields wait for the next action.
    person.click("plain");
    person.type("user", "ann");
    person.type("pass", "s3cret");
    person.type("note", "hello");
    EXPECT_EQ(shown.lines, QStringList{"nav;" + server.url("/form")});
    person.click("colour", 0.5, 5.0 / 6); // the last of the list's three rows
    // A drop-down list's choice, made in the list it opens under its box, its chosen option current.
    QTimer::singleShot(0, [] {
        auto *list = qobject_cast<QListWidget *>(QApplication::activePopupWidget());
        ASSERT_TRUE(list);
        ASSERT_EQ(list->count(), 2);
        EXPECT_EQ(list->currentRow(), 0);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    });
    person.click("drink");
    person.type("user", "a"); // the field's last value is the one written
    person.click("agreeLabel"); // a label stands for its control
    person.click("large");
    // A script's own click is not a person's.
    shown.window->document()->getElementById("small")->click();
    person.pressEnterIn("user"); // the form's default button is clicked
    ASSERT_TRUE(person.isAt(server.url("/submit")));
    EXPECT_EQ(server.pageRequests().back().body, "user=anna&pass=s3cret&note=hello&colour=blue&drink=coffee&agree=yes&size=s");

    // Links: by text when that finds this very link first, else by id; a click inside a link is the link's.
    ASSERT_TRUE(person.clickTo("second", server.url("/a?x=2")));
    ASSERT_TRUE(person.backTo(server.url("/submit")));
    ASSERT_TRUE(person.clickTo("inner", server.url("/a?x=3")));
    ASSERT_TRUE(person.backTo(server.url("/submit")));
    ASSERT_TRUE(person.clickTo("first", server.url("/a?x=1")));
    ASSERT_TRUE(person.typeAddress(server.url("/submit")));

    // A link that opens another window: the person goes on there.
    person.click("pop");
    ASSERT_TRUE(waitUntil([&] { return shown.browser.builtinWindows().size() == 2; }));
    const PersonAtWindow inPopup(*shown.browser.builtinWindows().back());
    ASSERT_TRUE(inPopup.isAt(server.url("/popup")));
    ASSERT_TRUE(inPopup.clickTo("onward", server.url("/a?x=4")));

    EXPECT_EQ(shown.lines, (QStringList{"nav;" + server.url("/form"), "fill;user;anna", "fill;pass;$$$", "fill;note;hello",
                                        "fill;colour;blue", "fill;drink;coffee", "clickitem;agree;0", "clickitem;size;1",
                                        "clickbutton;Send;true", "clickelementbyid;second;true", "back",
                                        "clink;Other words", "back", "clink;Same text",
                                        "nav;" + server.url("/submit"), "clinknew;Pop up", "clink;Onward"}));

    // Nothing is told once the recording is off.
    const qsizetype recorded = shown.lines.size();
    shown.browser.setPersonActions(nullptr);
    ASSERT_TRUE(person.clickTo("second", server.url("/a?x=2")));
    EXPECT_EQ(shown.lines.size(), recorded);
}
