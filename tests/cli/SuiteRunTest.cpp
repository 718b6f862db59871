// Many runs in one command, as a CI job gives them: folders of scripts, the rows of a data
// file, slices for several machines, tries again for a flaky site; one table, one JUnit file
// and one report at the end, the worst exit status, on both engines.
#include "ProcessProbe.h"
#include "QtPrinters.h"
#include "QtWait.h"
#include "RunFilesSeen.h"
#include "RunProcess.h"
#include "TestServer.h"

#include <QFile>
#include <QProcess>
#include <QThread>
#include <QSet>
#include <QTemporaryDir>
#include <QUrl>
#include <QUrlQuery>

#include <gtest/gtest.h>

#include <map>
#include <mutex>

#include <csignal>

namespace {

const QString kChromium = QStringLiteral("/usr/bin/chromium");

// The scripts' names and texts, written into the folder; "URL" in a text stands for the server.
void writeScripts(const QString &folder, const TestServer &server, const std::map<QString, QByteArray> &scripts)
{
    for (const auto &[name, text] : scripts) {
        QByteArray withServer = text;
        withServer.replace("URL", server.url("").toUtf8());
        writeTextFile(folder + QLatin1Char('/') + name, withServer);
    }
}

QStringList requestedPaths(const TestServer &server)
{
    QStringList paths;
    for (const auto &request : server.pageRequests())
        paths << QString::fromStdString(request.target());
    paths.sort();
    return paths;
}

class Suite : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        if (GetParam() && !QFile::exists(kChromium))
            GTEST_SKIP() << "Chromium is not installed";
        setting.workingFolder = folder.path();
        for (const char *page : {"/a", "/b", "/c", "/d"})
            server.page(page, std::string("<html><body>page ") + (page + 1) + "</body></html>");
    }
    QStringList engine() const
    {
        return GetParam() ? QStringList{QStringLiteral("--browser"), QStringLiteral("chromium")} : QStringList{};
    }
    RunResult run(const QStringList &arguments) const
    {
        return runNavRelay(engine() + QStringList{QStringLiteral("--tick"), QStringLiteral("0"), QStringLiteral("--timeout"),
                                                  QStringLiteral("60")} + arguments,
                           setting);
    }

    QTemporaryDir folder;
    TestServer server;
    RunSetting setting;
};

TEST_P(Suite, FoldersAndFilesRunEachScriptOnceAndEndWithTheWorstStatus)
{
    writeScripts(folder.path(), server,
                 {{"s/2-b.nrs", "nav;URL/b\r\nassert;page b\r\n"},
                  {"s/1-a.txt", "nav;URL/a\r\n"},
                  {"s/3-c.nrs", "nav;URL/c\r\nassert;page of nothing\r\n"},
                  {"s/notes.md", "nav;URL/never\r\n"},
                  {"d.nrs", "nav;URL/d\r\n"}});
    const RunResult result = run({QStringLiteral("--jobs"), QStringLiteral("2"), QStringLiteral("--junit"), QStringLiteral("j.xml"),
                                  QStringLiteral("--report"), QStringLiteral("r.jsonl"), QStringLiteral("s"), QStringLiteral("d.nrs"),
                                  QStringLiteral("s/1-a.txt")});
    EXPECT_EQ(result.exitCode, 2) << result.errors.toStdString();
    EXPECT_EQ(requestedPaths(server), (QStringList{"/a", "/b", "/c", "/d"})) << "each script once, the folder's *.md left out";
    const QStringList table = result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(table.size(), 6) << result.out.toStdString();
    EXPECT_TRUE(table[1].endsWith(QStringLiteral("s/1-a.txt")) && table[1].trimmed().startsWith(QLatin1Char('0'))) << table[1].toStdString();
    EXPECT_TRUE(table[3].endsWith(QStringLiteral("s/3-c.nrs")) && table[3].trimmed().startsWith(QLatin1Char('2'))) << table[3].toStdString();
    EXPECT_TRUE(table[4].endsWith(QStringLiteral("d.nrs")));
    EXPECT_TRUE(table[5].contains(QStringLiteral("4 run(s): 3 passed (0 flaky), 1 failed; exit status 2"))) << table[5].toStdString();
    EXPECT_TRUE(result.errors.contains(QStringLiteral("[s/3-c.nrs] navrelay-run:"))) << result.errors.toStdString();

    const QList<JUnitCaseSeen> cases = readJUnit(folder.filePath(QStringLiteral("j.xml")));
    ASSERT_EQ(cases.size(), 4);
    QSet<QString> suites;
    for (const JUnitCaseSeen &each : cases) {
        suites.insert(each.suite);
        EXPECT_EQ(each.name, each.suite) << "a script's one run is named by the script";
        EXPECT_EQ(each.outcome, each.suite == QLatin1String("s/3-c.nrs") ? QStringLiteral("failure") : QStringLiteral("passed"));
    }
    EXPECT_EQ(suites.size(), 4);

    QSet<QString> runs;
    int attempts = 0;
    for (const QJsonObject &record : reportRecords(folder.filePath(QStringLiteral("r.jsonl")))) {
        EXPECT_FALSE(record.value(QStringLiteral("run")).toString().isEmpty()) << "every record names its run";
        runs.insert(record.value(QStringLiteral("run")).toString());
        attempts += record.value(QStringLiteral("type")).toString() == QLatin1String("attempt");
    }
    EXPECT_EQ(runs.size(), 4);
    EXPECT_EQ(attempts, 4);
}

// A site that fails the first request for each page and serves every later one.
void serveFlakyPages(TestServer &server, std::map<std::string, int> &served, std::mutex &mutex)
{
    server.handle("GET", "/flaky/.*", [&](const httplib::Request &request, httplib::Response &response) {
        std::lock_guard lock(mutex);
        const bool first = served[request.path]++ == 0;
        response.set_content(first ? "<html><body>busy, come back</body></html>" : "<html><body>welcome</body></html>",
                             "text/html");
    });
}

TEST_P(Suite, RetriesRunAFailedRunAgainAndMarkItFlaky)
{
    std::map<std::string, int> served;
    std::mutex mutex;
    serveFlakyPages(server, served, mutex);
    writeScripts(folder.path(), server,
                 {{"flaky.nrs", "nav;URL/flaky/one\r\nassert;welcome\r\n"},
                  {"broken.nrs", "nav;URL/a\r\nassert;welcome\r\n"}});
    const RunResult retried = run({QStringLiteral("--retries"), QStringLiteral("2"), QStringLiteral("--junit"),
                                   QStringLiteral("j.xml"), QStringLiteral("--report"), QStringLiteral("r.jsonl"),
                                   QStringLiteral("flaky.nrs"), QStringLiteral("broken.nrs")});
    EXPECT_EQ(retried.exitCode, 2) << "the broken script fails every try: " << retried.errors.toStdString();
    EXPECT_EQ(served["/flaky/one"], 2) << "tried once more, then passed";
    EXPECT_EQ(requestedPaths(server).count(QStringLiteral("/a")), 3) << "one try and two retries";
    EXPECT_TRUE(retried.out.contains(QStringLiteral("flaky.nrs (flaky)"))) << retried.out.toStdString();

    const QList<JUnitCaseSeen> cases = readJUnit(folder.filePath(QStringLiteral("j.xml")));
    ASSERT_EQ(cases.size(), 5);
    QStringList seen;
    for (const JUnitCaseSeen &each : cases)
        seen << each.suite + QLatin1Char('|') + each.name + QLatin1Char('|') + each.outcome;
    EXPECT_EQ(seen, (QStringList{"broken.nrs|broken.nrs (attempt 1)|rerunFailure", "broken.nrs|broken.nrs (attempt 2)|rerunFailure",
                                 "broken.nrs|broken.nrs (attempt 3)|failure", "flaky.nrs|flaky.nrs (attempt 1)|flakyFailure",
                                 "flaky.nrs|flaky.nrs (attempt 2, flaky)|passed"}));
    int flakyAttempts = 0;
    for (const QJsonObject &record : reportRecords(folder.filePath(QStringLiteral("r.jsonl"))))
        flakyAttempts += record.value(QStringLiteral("flaky")).toBool();
    EXPECT_EQ(flakyAttempts, 1);

    server.clearRequests();
    {
        std::lock_guard lock(mutex);
        served.clear();
    }
    const RunResult once = run({QStringLiteral("flaky.nrs"), QStringLiteral("flaky.nrs")});
    EXPECT_EQ(once.exitCode, 2) << "without --retries a failed run stays failed";
    EXPECT_EQ(served["/flaky/one"], 1) << "a script given twice runs once";
}

TEST_P(Suite, EachRowOfTheDataIsARunWithItsOwnValue)
{
    server.handle("GET", "/login", [](const httplib::Request &request, httplib::Response &response) {
        response.set_content("<html><body>hello " + request.get_param_value("user") + "</body></html>", "text/html");
    });
    writeScripts(folder.path(), server, {{"login.nrs", "nav;URL/login?user=$$$\r\nassert;hello\r\n"}});
    // The secret column: a comma, a quote and a line break inside quotes.
    writeTextFile(folder.filePath(QStringLiteral("users.csv")),
                  "name,password\r\nalice,\"pa,ss\"\r\nbob,\"say \"\"hi\"\"\"\r\n\"carol\nsmith\",x9\r\n");
    const RunResult result = run({QStringLiteral("--data"), QStringLiteral("users.csv"), QStringLiteral("--data-column"),
                                  QStringLiteral("password"), QStringLiteral("--jobs"), QStringLiteral("3"), QStringLiteral("--junit"),
                                  QStringLiteral("j.xml"), QStringLiteral("--report"), QStringLiteral("r.jsonl"),
                                  QStringLiteral("login.nrs")});
    EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
    QStringList users;
    for (const auto &request : server.pageRequests())
        users << QUrlQuery(QString::fromStdString(request.query)).queryItemValue(QStringLiteral("user"), QUrl::FullyDecoded);
    users.sort();
    EXPECT_EQ(users, (QStringList{"pa,ss", "say \"hi\"", "x9"}));
    QStringList names;
    for (const JUnitCaseSeen &each : readJUnit(folder.filePath(QStringLiteral("j.xml"))))
        names << each.name;
    EXPECT_EQ(names, (QStringList{"row 1: alice", "row 2: bob", "row 3: carol smith"}));
    QFile report(folder.filePath(QStringLiteral("r.jsonl")));
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    const QByteArray written = report.readAll() + readJUnit(folder.filePath(QStringLiteral("j.xml"))).constFirst().name.toUtf8()
        + result.out.toUtf8() + result.errors.toUtf8();
    EXPECT_FALSE(written.contains("pa,ss") || written.contains("pa%2Css") || written.contains("x9")) << "the rows' secrets stay out";
}

// The HTML report of a suite with a failing run and --trace: every line, the failing one marked,
// a picture after each navigation and of the failed page, all inside the one file, no secret.
TEST_P(Suite, HtmlReportHoldsTheLinesAndPicturesInOneFile)
{
    writeScripts(folder.path(), server,
                 {{"pass.nrs", "nav;URL/a?k=$$$\r\nnav;URL/b\r\nassert;page b\r\n"},
                  {"fail.nrs", "nav;URL/c\r\nassert;page of nothing\r\n"}});
    setting.environment.insert(QStringLiteral("NAVRELAY_TEST_SECRET"), QStringLiteral("Hush1234"));
    const RunResult result = run({QStringLiteral("--var-env"), QStringLiteral("NAVRELAY_TEST_SECRET"), QStringLiteral("--html-report"),
                                  QStringLiteral("html"), QStringLiteral("--trace"), QStringLiteral("pass.nrs"),
                                  QStringLiteral("fail.nrs")});
    EXPECT_EQ(result.exitCode, 2) << result.errors.toStdString();
    QFile file(folder.filePath(QStringLiteral("html/index.html")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << result.errors.toStdString();
    const QString html = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(html.contains(QStringLiteral("2 run(s): 1 passed (0 flaky), 1 failed; exit status 2")));
    EXPECT_EQ(html.count(QStringLiteral("<tr class=\"failing\">")), 1);
    EXPECT_TRUE(html.contains(QStringLiteral("page of nothing")));
    EXPECT_TRUE(html.contains(server.url("/b").toHtmlEscaped())) << "each line's address";
    EXPECT_EQ(html.count(QStringLiteral("alt=\"after line")), 3) << "a picture after each of the three navigations";
    EXPECT_EQ(html.count(QStringLiteral("alt=\"the page when the run ended\"")), 1) << "the failed run's page";
    EXPECT_FALSE(html.contains(QStringLiteral("Hush1234")));
    EXPECT_FALSE(html.contains(QStringLiteral("<script")) || html.contains(QStringLiteral("<link"))
                 || html.contains(QStringLiteral("src=\"http")))
        << "nothing is fetched";

    if (!GetParam())
        return;
    // Chromium opens it from the file system and shows the summary.
    writeTextFile(folder.filePath(QStringLiteral("open.nrs")),
                  "nav;" + QUrl::fromLocalFile(file.fileName()).toEncoded() + "\r\nassert;1 passed (0 flaky), 1 failed\r\n");
    const RunResult opened = run({QStringLiteral("open.nrs")});
    EXPECT_EQ(opened.exitCode, 0) << opened.errors.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Engines, Suite, ::testing::Bool(),
                         [](const auto &info) { return info.param ? std::string("Chromium") : std::string("Builtin"); });

TEST(SuiteRun, TwoShardsTogetherRunEveryScriptExactlyOnce)
{
    TestServer server;
    QTemporaryDir folder;
    std::map<QString, QByteArray> scripts;
    QStringList expected;
    for (int i = 0; i < 7; ++i) {
        const std::string path = "/p" + std::to_string(i);
        server.page(path, "<html><body>p</body></html>");
        scripts[QStringLiteral("s/%1.nrs").arg(i)] = "nav;URL" + QByteArray::fromStdString(path) + "\r\n";
        expected << QString::fromStdString(path);
    }
    writeScripts(folder.path(), server, scripts);
    RunSetting setting;
    setting.workingFolder = folder.path();
    QStringList firstShard;
    for (const char *shard : {"1/2", "2/2"}) {
        const RunResult result = runNavRelay({QStringLiteral("--tick"), QStringLiteral("0"), QStringLiteral("--shard"),
                                              QString::fromLatin1(shard), QStringLiteral("s")},
                                             setting);
        EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
        if (firstShard.isEmpty())
            firstShard = requestedPaths(server);
    }
    EXPECT_EQ(firstShard.size(), 4);
    EXPECT_EQ(requestedPaths(server), expected);
}

// Told to stop (SIGTERM to the suite alone, as a scheduler sends it), the suite stops the run under
// way, starts no other, and ends at once with the runs never started counted as unfinished.
TEST(SuiteRun, AStopSignalEndsTheRunUnderWayAndStartsNoOther)
{
    QTemporaryDir folder;
    for (const char *name : {"s/1.nrs", "s/2.nrs", "s/3.nrs"})
        writeTextFile(folder.filePath(QString::fromLatin1(name)), "nav;about:blank\r\nsleep;60000\r\n");
    QProcess suite;
    suite.setWorkingDirectory(folder.path());
    suite.start(QStringLiteral(NAVRELAY_RUN_PATH), {QStringLiteral("--jobs"), QStringLiteral("1"), QStringLiteral("--retries"),
                                                    QStringLiteral("2"), QStringLiteral("--junit"), QStringLiteral("j.xml"),
                                                    QStringLiteral("s")});
    ASSERT_TRUE(suite.waitForStarted());
    // The first run's sleep has begun once its process has been running a while.
    QThread::sleep(3);
    ::kill(pid_t(suite.processId()), SIGTERM);
    ASSERT_TRUE(suite.waitForFinished(30000));
    const QString out = QString::fromLocal8Bit(suite.readAllStandardOutput());
    EXPECT_EQ(suite.exitCode(), 3) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("   3      1"))) << "stopped, not tried again: " << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("   3      0"))) << "never started: " << out.toStdString();
    EXPECT_EQ(readJUnit(folder.filePath(QStringLiteral("j.xml"))).size(), 1) << "one try made";
}

// A suite killed outright leaves no run behind: each is told to stop when its suite is gone.
TEST(SuiteRun, ASuiteKilledLeavesNoRunBehind)
{
    QTemporaryDir folder;
    for (const char *name : {"s/1.nrs", "s/2.nrs"})
        writeTextFile(folder.filePath(QString::fromLatin1(name)), "nav;about:blank\r\nsleep;60000\r\n");
    QProcess suite;
    suite.setWorkingDirectory(folder.path());
    suite.start(QStringLiteral(NAVRELAY_RUN_PATH), {QStringLiteral("--jobs"), QStringLiteral("2"), folder.filePath(QStringLiteral("s"))});
    ASSERT_TRUE(suite.waitForStarted());
    ASSERT_TRUE(waitUntil([&] { return processesNaming(folder.filePath(QStringLiteral("s"))).size() >= 3; }, 30000));
    suite.kill();
    ASSERT_TRUE(suite.waitForFinished(10000));
    EXPECT_TRUE(waitUntil([&] { return processesNaming(folder.filePath(QStringLiteral("s"))).empty(); }, 30000));
}

TEST(SuiteRun, WrongSuiteArgumentsAndDataEndBeforeAnyRun)
{
    TestServer server;
    QTemporaryDir folder;
    writeScripts(folder.path(), server, {{"a.nrs", "nav;URL/a?$$$\r\n"}, {"empty/readme.md", "x"}});
    writeTextFile(folder.filePath(QStringLiteral("bad.csv")), "name,password\r\nalice,\"open\r\n");
    writeTextFile(folder.filePath(QStringLiteral("good.csv")), "name,password\r\nalice,x\r\n");
    RunSetting setting;
    setting.workingFolder = folder.path();
    const struct {
        QStringList arguments;
        QString message;
    } cases[] = {
        {{"--data", "bad.csv", "a.nrs"}, "the data file bad.csv: line 2: a quoted field is not closed"},
        {{"--data", "none.csv", "a.nrs"}, "cannot read the data file none.csv"},
        {{"--data", "good.csv", "--data-column", "pin", "a.nrs"}, "the data file has no column pin; it has name, password"},
        {{"--data-column", "pin", "a.nrs"}, "--data-column needs --data"},
        {{"--data", "good.csv", "--var", "x", "a.nrs"}, "--data gives the text of \"$$$\""},
        {{"--shard", "3/2", "a.nrs"}, "--shard takes I/N"},
        {{"--shard", "0/2", "a.nrs"}, "--shard takes I/N"},
        {{"--jobs", "0", "a.nrs"}, "--jobs takes a number from 1"},
        {{"--retries", "-1", "a.nrs"}, "--retries takes a number from 0"},
        {{"--trace", "a.nrs"}, "--trace needs --html-report or --evidence"},
        {{"--jobs", "2", "--devtools", "127.0.0.1:9", "a.nrs"}, "it cannot go with --jobs above 1"},
        {{"a.nrs", "-"}, "standard input (-) cannot be one of them"},
        {{"empty", "a.nrs"}, "the folder empty holds no script"},
        {{"--check", "--jobs", "2", "a.nrs"}, "not with --check or --record"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const RunResult result = runNavRelay(c.arguments, setting);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(result.errors.contains(c.message)) << result.errors.toStdString();
    }
    EXPECT_TRUE(server.pageRequests().empty());
}

} // namespace
