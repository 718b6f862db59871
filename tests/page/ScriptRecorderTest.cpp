#include "page/ScriptRecorder.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

ClickedElement link(const QString &text, bool firstWithText)
{
    ClickedElement element;
    element.tagName = QStringLiteral("A");
    element.text = text;
    element.firstLinkWithText = firstWithText;
    element.position = 7;
    return element;
}

TEST(ScriptRecorderLines, EachClickIsWrittenWithTheFirstLookupThatFindsItAgain)
{
    EXPECT_EQ(clickLine(link(QStringLiteral("Next page"), true)), QStringLiteral("clink;Next page"));
    ClickedElement popup = link(QStringLiteral("Help"), true);
    popup.opensNewWindow = true;
    EXPECT_EQ(clickLine(popup), QStringLiteral("clinknew;Help"));
    // A text an earlier link also has, or one a line cannot hold, falls back to the id, then the position.
    ClickedElement second = link(QStringLiteral("More"), false);
    second.id = QStringLiteral("more2");
    second.firstWithId = true;
    EXPECT_EQ(clickLine(second), QStringLiteral("clickelementbyid;more2;true"));
    EXPECT_EQ(clickLine(link(QStringLiteral("a;b"), true)), QStringLiteral("clickitem;7"));
    EXPECT_EQ(clickLine(link(QStringLiteral("#1 hit"), true)), QStringLiteral("clickitem;7"));
    EXPECT_EQ(clickLine(link(QString(), true)), QStringLiteral("clickitem;7"));

    ClickedElement submit;
    submit.tagName = QStringLiteral("INPUT");
    submit.type = QStringLiteral("submit");
    submit.value = QStringLiteral("Search");
    submit.name = QStringLiteral("go");
    submit.position = 12;
    submit.firstButtonWithCaption = true;
    EXPECT_EQ(clickLine(submit), QStringLiteral("clickbutton;Search;true"));
    submit.firstButtonWithCaption = false;
    submit.firstWithName = true;
    EXPECT_EQ(clickLine(submit), QStringLiteral("clickbuttonbyname;go"));
    ClickedElement button = submit;
    button.type = QStringLiteral("button");
    EXPECT_EQ(clickLine(button), QStringLiteral("clickitem;12")) << "clickbuttonbyname would wait for a page";

    ClickedElement radio;
    radio.tagName = QStringLiteral("INPUT");
    radio.type = QStringLiteral("radio");
    radio.name = QStringLiteral("size");
    radio.positionInName = 2;
    radio.position = 30;
    EXPECT_EQ(clickLine(radio), QStringLiteral("clickitem;size;2"));
    radio.position = 40000;
    radio.name.clear();
    EXPECT_EQ(clickLine(radio), QString()) << "past the runner's 16-bit positions nothing finds it";
}

TEST(ScriptRecorderLines, ChangedFieldsAreWrittenOnceWithTheirLastValueBeforeTheNextAction)
{
    QStringList lines;
    ScriptRecorder recorder([&](const QString &line) { lines << line; }, {});
    ChangedField query;
    query.position = 3;
    query.tagName = QStringLiteral("INPUT");
    query.type = QStringLiteral("text");
    query.name = QStringLiteral("q");
    query.firstWithName = true;
    ChangedField secret = query;
    secret.position = 4;
    secret.type = QStringLiteral("password");
    secret.name = QStringLiteral("pw");
    secret.value = QStringLiteral("hunter2");
    ChangedField noName = query;
    noName.position = 5;
    noName.name.clear();
    noName.firstWithName = false;
    noName.id = QStringLiteral("note");
    noName.firstWithId = true;

    recorder.addressTyped(QStringLiteral("http://127.0.0.1:8080/a;b?x=$1#top"));
    query.value = QStringLiteral("f");
    recorder.fieldChanged(query);
    recorder.fieldChanged(secret);
    query.value = QStringLiteral("first");
    recorder.fieldChanged(query);
    noName.value = QStringLiteral("x;y");
    recorder.fieldChanged(noName);
    EXPECT_EQ(lines.size(), 1) << "fields wait for the next action";
    recorder.wentBack();
    recorder.fieldChanged(query);
    recorder.finish();

    ASSERT_EQ(lines.size(), 6) << lines.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("nav;http://127.0.0.1:8080/a%3Bb?x=%241"));
    EXPECT_EQ(lines[1], QStringLiteral("fill;q;first"));
    EXPECT_EQ(lines[2], QStringLiteral("fill;pw;$$$")) << "the password stays out of the script";
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("rem;"))) << "a value a line cannot hold is named, not mangled";
    EXPECT_EQ(lines[4], QStringLiteral("back"));
    EXPECT_EQ(lines[5], QStringLiteral("fill;q;first"));

    lines.clear();
    ScriptRecorder plain([&](const QString &line) { lines << line; }, {.askForPasswords = false});
    plain.fieldChanged(secret);
    noName.value = QStringLiteral("ok");
    plain.fieldChanged(noName);
    plain.finish();
    EXPECT_EQ(lines, (QStringList{QStringLiteral("fill;pw;hunter2"), QStringLiteral("fillbyid;note;ok")}));
}

} // namespace
