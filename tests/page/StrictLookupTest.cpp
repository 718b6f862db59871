#include "PageSession.h"

#include "engine/RunRecorder.h"

namespace {

using StrictLookups = PageSession;

// Every lookup that finds nothing halts a strict run, before anything is clicked, with a
// message that names what was sought.
TEST_F(StrictLookups, ALookupThatFindsNothingHaltsTheRunNamingWhatWasSought)
{
    server.page("/form", "<form action=\"/sent\"><input name=\"q\" id=\"q\"><input type=\"submit\" value=\"Go\" name=\"submit\">"
                         "</form><p class=\"c\">text</p><a href=\"/next\">Next</a>");
    load("/form");
    RunRecorder recorder([] { return qint64(0); });
    automation.runner.addObserver(recorder);
    automation.state.strictLookups = true;
    const struct {
        const char *line;
        const char *message;
    } cases[] = {
        {"clink;Nxt", "no link with the text \"Nxt\""},
        {"if;form;clinknew;Next ", "no link with the text \"Next \""},
        {"fill;nope;x", "no field named \"nope\""},
        {"fillappend;nope;x", "no field named \"nope\""},
        {"fillclass;d;x", "no element with the class \"d\""},
        {"fillbyid;nope;x", "no field with the id \"nope\""},
        {"fillappendbyid;nope;x", "no field with the id \"nope\""},
        {"clickbutton;Stop", "no button with the value \"Stop\""},
        {"clickbuttonbyname;nope", "no element named \"nope\""},
        {"clickitem;99", "no element at position 99"},
        {"clickitem;q;3", "no element named \"q\" at position 3"},
        {"clickinputimg;http://x/a.gif", "no image input with the source \"http://x/a.gif\""},
        {"clickclass;c", "no element holds submit.gif (clickclass c)"},
        {"clickelementbyid;nope;false", "no element with the id \"nope\""},
        {"clickelementbyname;nope;false", "no submit control named \"nope\""},
    };
    for (const auto &testCase : cases) {
        automation.runner.resetRun();
        runScript(QString::fromUtf8(testCase.line));
        EXPECT_EQ(automation.runner.status(), RunStatus::Halted) << testCase.line;
        ASSERT_TRUE(recorder.lastLine());
        EXPECT_EQ(recorder.lastLine()->message, QString::fromUtf8(testCase.message));
    }
    automation.runner.removeObserver(recorder);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(server.pageRequests().size(), 1u) << "nothing was clicked";
}

} // namespace
