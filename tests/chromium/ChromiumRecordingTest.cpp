#include "ChromiumProcess.h"
#include "QtPrinters.h"
#include "QtWait.h"
#include "RecordingHost.h"
#include "TestServer.h"
#include "browser/Automation.h"
#include "browser/chromium/ChromiumBrowser.h"
#include "browser/chromium/DevToolsConnection.h"
#include "browser/chromium/DevToolsEndpoint.h"
#include "browser/chromium/DevToolsTransport.h"
#include "browser/chromium/RecordingScript.h"
#include "engine/ScriptError.h"
#include "page/ScriptRecorder.h"

#include <gtest/gtest.h>

#include <QJsonArray>

namespace {

const std::string kStartPage = R"html(<html><body>
<p><a href="/next">Next</a></p>
<p><a href="/same?first">Same</a> <a id="second" href="/same?second">Same</a></p>
<form method="post" action="/submit">
<input name="q" id="q"> <input type="password" name="pw" id="pw">
<input type="checkbox" name="agree" id="agree" value="yes">
<input type="submit" id="send" value="Send">
</form>
</body></html>)html";

// A person at a Chromium window: a DevTools client of its own that clicks, types, enters
// addresses and goes back through the browser's input and navigation commands, as the browser's
// own window would.
class Person {
public:
    // At the first page, or at the page that shows the address.
    explicit Person(const DevToolsAddress &address, const QString &url = {})
        : m_connection(std::make_shared<DevToolsConnection>(DevToolsEndpoint(address).open()))
    {
        const QJsonArray targets = m_connection->call(QStringLiteral("Target.getTargets")).value(QStringLiteral("targetInfos")).toArray();
        for (const QJsonValue &target : targets) {
            if (target.toObject().value(QStringLiteral("type")).toString() != QLatin1String("page")
                || (!url.isEmpty() && target.toObject().value(QStringLiteral("url")).toString() != url))
                continue;
            m_session = m_connection->call(QStringLiteral("Target.attachToTarget"),
                                           {{QStringLiteral("targetId"), target.toObject().value(QStringLiteral("targetId"))},
                                            {QStringLiteral("flatten"), true}})
                            .value(QStringLiteral("sessionId")).toString();
            break;
        }
    }

    [[nodiscard]] bool attached() const { return !m_session.isEmpty(); }

    QJsonObject call(const QString &method, const QJsonObject &params = {})
    {
        return m_connection->call(method, params, m_session);
    }
    QJsonValue evaluate(const QString &expression)
    {
        return call(QStringLiteral("Runtime.evaluate"), {{QStringLiteral("expression"), expression}, {QStringLiteral("returnByValue"), true}})
            .value(QStringLiteral("result")).toObject().value(QStringLiteral("value"));
    }
    // A page between two documents refuses evaluation (its context is gone): asked again.
    bool shows(const QString &url)
    {
        return waitUntil([&] {
            try {
                return evaluate(QStringLiteral("location.href + ' ' + document.readyState")).toString() == url + QStringLiteral(" complete");
            } catch (const ScriptError &) {
                return false;
            }
        }, 20000);
    }

    void typeAddress(const QString &url)
    {
        call(QStringLiteral("Page.navigate"), {{QStringLiteral("url"), url}, {QStringLiteral("transitionType"), QStringLiteral("typed")}});
    }
    void goBack()
    {
        const QJsonObject history = call(QStringLiteral("Page.getNavigationHistory"));
        const int current = history.value(QStringLiteral("currentIndex")).toInt();
        const QJsonValue entryId = history.value(QStringLiteral("entries")).toArray().at(current - 1).toObject().value(QStringLiteral("id"));
        call(QStringLiteral("Page.navigateToHistoryEntry"), {{QStringLiteral("entryId"), entryId}});
    }
    // A mouse click in the middle of the element the selector finds.
    void click(const QString &selector)
    {
        const QJsonArray box = evaluate(QStringLiteral("(r => [r.x + r.width / 2, r.y + r.height / 2])"
                                                       "(document.querySelector(\"%1\").getBoundingClientRect())").arg(selector))
                                   .toArray();
        for (const char *type : {"mousePressed", "mouseReleased"}) {
            call(QStringLiteral("Input.dispatchMouseEvent"),
                 {{QStringLiteral("type"), QLatin1String(type)}, {QStringLiteral("x"), box.at(0)}, {QStringLiteral("y"), box.at(1)},
                  {QStringLiteral("button"), QStringLiteral("left")}, {QStringLiteral("clickCount"), 1}});
        }
    }
    void type(const QString &text) { call(QStringLiteral("Input.insertText"), {{QStringLiteral("text"), text}}); }

private:
    std::shared_ptr<DevToolsConnection> m_connection;
    QString m_session;
};

std::vector<std::string> requestLog(const TestServer &server)
{
    std::vector<std::string> log;
    for (const auto &request : server.pageRequests())
        log.push_back(request.method + " " + request.target() + " " + request.body);
    return log;
}

} // namespace

// A person's clicks, typing, typed address and Back in a Chromium window become the lines that
// repeat them; the runner's own lines during the recording are not recorded; the recorded script
// sends the server what the person's actions sent, in the same order.
TEST(ChromiumRecording, PersonActionsBecomeLinesThatReplayTheSameRequests)
{
    if (!ChromiumProcess::installed())
        GTEST_SKIP() << ChromiumProcess::kProgram << " is not installed";
    TestServer server;
    const ChromiumProcess chromium;
    ASSERT_GT(chromium.port(), 0) << "Chromium did not start";
    server.page("/start", kStartPage);
    server.page("/next", "<html><body>next</body></html>");
    server.page("/same", "<html><body>same</body></html>");
    server.page("/submit", R"html(<html><body><a href="/popup" target="_blank">Popup</a></body></html>)html");
    server.page("/popup", R"html(<html><body><a href="/onward">Onward</a></body></html>)html");
    server.page("/onward", "<html><body>onward</body></html>");
    const DevToolsAddress address{QStringLiteral("127.0.0.1"), chromium.port(), {}};
    ChromiumSettings settings;
    settings.address = address;
    ChromiumBrowser browser(settings);
    const auto windows = browser.windows();
    ASSERT_EQ(windows.size(), 1u);
    Person person(address);

    QStringList lines;
    ScriptRecorder recorder([&lines](const QString &line) { lines << line; }, {});
    browser.setPersonActions(&recorder);
    (void)windows.front()->httpStatus(); // a round trip on the page's session: the recording script is in place

    const QString start = server.url("/start");
    const auto backToStart = [&] {
        person.goBack();
        ASSERT_TRUE(person.shows(start));
    };
    person.typeAddress(start);
    ASSERT_TRUE(person.shows(start));
    person.click(QStringLiteral("a[href='/next']"));
    ASSERT_TRUE(person.shows(server.url("/next")));
    backToStart();
    person.click(QStringLiteral("#second"));
    ASSERT_TRUE(person.shows(server.url("/same?second")));
    backToStart();
    person.click(QStringLiteral("#q"));
    person.type(QStringLiteral("hel"));
    person.type(QStringLiteral("lo"));
    person.click(QStringLiteral("#pw"));
    person.type(QStringLiteral("s3cret"));
    person.click(QStringLiteral("#agree"));
    person.click(QStringLiteral("#send"));
    ASSERT_TRUE(person.shows(server.url("/submit")));
    recorder.finish();
    ASSERT_TRUE(waitUntil([&] { return lines.size() >= 9; })) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(lines, QStringList({QStringLiteral("nav;") + start, QStringLiteral("clink;Next"), QStringLiteral("back"),
                                  QStringLiteral("clickelementbyid;second;true"), QStringLiteral("back"),
                                  QStringLiteral("fill;q;hello"), QStringLiteral("fill;pw;$$$"),
                                  QStringLiteral("clickitem;agree;0"), QStringLiteral("clickbutton;Send;true")}));
    const auto personRequests = requestLog(server);
    ASSERT_FALSE(personRequests.empty());
    ASSERT_EQ(personRequests.back(), "POST /submit q=hello&pw=s3cret&agree=yes");

    // The runner replays the lines while the recording goes on: nothing it does is recorded.
    const QStringList recorded = lines;
    server.clearRequests();
    person.typeAddress(QStringLiteral("about:blank"));
    ASSERT_TRUE(person.shows(QStringLiteral("about:blank")));
    lines.clear();
    RecordingHost host;
    host.inputAnswer = QStringLiteral("s3cret");
    Automation automation(host, browser);
    automation.runner.runScript(recorded.join(QStringLiteral("\r\n")));
    ASSERT_TRUE(waitUntil([&] { return automation.runner.status() == RunStatus::Stopped; }, 60000));
    ASSERT_TRUE(person.shows(server.url("/submit")));
    EXPECT_EQ(requestLog(server), personRequests);
    EXPECT_TRUE(host.messages.empty());
    spinEvents(200);
    recorder.finish();
    EXPECT_EQ(lines, QStringList());

    // A link that opens a window, and a click in that window, which is watched from its start.
    person.click(QStringLiteral("a"));
    ASSERT_TRUE(waitUntil([&] { return browser.windows().size() == 2u; }));
    std::unique_ptr<Person> atPopup;
    ASSERT_TRUE(waitUntil([&] {
        try {
            atPopup = std::make_unique<Person>(address, server.url("/popup"));
            return atPopup->attached();
        } catch (const ScriptError &) {
            return false;
        }
    }));
    ASSERT_TRUE(atPopup->shows(server.url("/popup")));
    atPopup->click(QStringLiteral("a"));
    ASSERT_TRUE(atPopup->shows(server.url("/onward")));
    EXPECT_TRUE(waitUntil([&] { return lines.size() >= 2; }));
    EXPECT_EQ(lines, QStringList({QStringLiteral("clinknew;Popup"), QStringLiteral("clink;Onward")}));

    // Once the recording ends, no page holds the script: not the one shown, not the next one.
    const QString recorderPresent = QStringLiteral("typeof document['%1:stop'] === 'function'").arg(QLatin1String(PageScripts::kRecordingBinding));
    EXPECT_TRUE(atPopup->evaluate(recorderPresent).toBool());
    browser.setPersonActions(nullptr);
    EXPECT_TRUE(waitUntil([&] { return !atPopup->evaluate(recorderPresent).toBool(); }));
    atPopup->typeAddress(server.url("/next"));
    ASSERT_TRUE(atPopup->shows(server.url("/next")));
    EXPECT_FALSE(atPopup->evaluate(recorderPresent).toBool());
    EXPECT_FALSE(person.evaluate(recorderPresent).toBool());
}
