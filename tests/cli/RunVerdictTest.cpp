// What navrelay-run tells a CI job: the text of "$$$" in none of the files and streams a run
// writes, a report of every run that stays bounded, JUnit files a consumer reads whatever the
// run did, evidence that runs sharing a folder never overwrite, and usage errors before anything
// runs.
#include "QtPrinters.h"
#include "RunFilesSeen.h"
#include "RunProcess.h"
#include "TestServer.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QUrl>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

const QString kChromium = QStringLiteral("/usr/bin/chromium");
// Blanks, a quote and a few characters addresses escape: each spelling of it must stay out.
const QByteArray kSecret = "S3cret \"pass\" & w\xc3\xb6rd!";

QStringList typesOf(const QList<QJsonObject> &records)
{
    QStringList types;
    for (const QJsonObject &record : records)
        types << record.value(QStringLiteral("type")).toString();
    types.removeDuplicates();
    return types;
}

// Every spelling of the secret a page, an address or a writer could give it.
QList<QByteArray> secretSpellings()
{
    const QString secret = QString::fromUtf8(kSecret);
    QByteArray formEncoded = kSecret.toPercentEncoding("*-._");
    formEncoded.replace("%20", "+");
    return {kSecret, kSecret.toPercentEncoding(), formEncoded, secret.toHtmlEscaped().toUtf8(), QByteArray("S3cret")};
}

// The files under the folder, and the streams, that hold some spelling of the secret.
QStringList holdersOfTheSecret(const QString &folder, const RunResult &result)
{
    QStringList holders;
    const auto holds = [](const QByteArray &bytes) {
        for (const QByteArray &spelling : secretSpellings()) {
            if (bytes.contains(spelling))
                return true;
        }
        return false;
    };
    QDirIterator files(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (file.open(QIODevice::ReadOnly) && holds(file.readAll()))
            holders << file.fileName();
    }
    if (holds(result.out.toUtf8()))
        holders << QStringLiteral("standard output");
    if (holds(result.errors.toUtf8()))
        holders << QStringLiteral("standard error");
    return holders;
}

class SecretOfTheRun : public ::testing::TestWithParam<bool> {};

// A password filled and sent with a GET form, so that it is in the next page's address, and the
// run halting on that page: every file and stream of the run is searched for it.
TEST_P(SecretOfTheRun, AppearsInNoFileOrStreamTheRunWrites)
{
    const bool chromium = GetParam();
    if (chromium && !QFile::exists(kChromium))
        GTEST_SKIP() << "Chromium is not installed";
    TestServer server;
    server.page("/login", "<html><body><form action=\"/welcome\"><input name=\"pw\" type=\"password\">"
                          "<input type=\"submit\" value=\"Log in\"></form></body></html>");
    server.handle("GET", "/welcome", [](const httplib::Request &request, httplib::Response &response) {
        // The page shows what it was sent, in an attribute and in its text.
        const std::string sent = QString::fromStdString(request.get_param_value("pw")).toHtmlEscaped().toStdString();
        response.set_content("<html><body><p>welcome " + sent + "</p><input name=\"echo\" value=\"" + sent + "\"></body></html>",
                             "text/html; charset=utf-8");
    });
    QTemporaryDir folder;
    const QString outputs = folder.filePath(QStringLiteral("outputs"));
    ASSERT_TRUE(QDir().mkpath(outputs));
    const QString script = writeTextFile(folder.filePath(QStringLiteral("login.nrs")),
                                         "nav;" + server.url("/login").toUtf8()
                                             + "\r\nfill;pw;$$$\r\nclickbutton;Log in;true\r\nassert;$$$ is gone\r\n");
    const QString secretFile = writeTextFile(folder.filePath(QStringLiteral("secret.txt")), kSecret + "\nsecond line\n");
    RunSetting setting;
    setting.environment.insert(QStringLiteral("XDG_DATA_HOME"), folder.filePath(QStringLiteral("data")));
    setting.environment.insert(QStringLiteral("NAVRELAY_TEST_SECRET"), QString::fromUtf8(kSecret));
    const QStringList common{QStringLiteral("--tick"), QStringLiteral("0"), QStringLiteral("--verbose"),
                             QStringLiteral("--browser"), chromium ? QStringLiteral("chromium") : QStringLiteral("builtin"),
                             QStringLiteral("--evidence"), outputs + QStringLiteral("/evidence")};
    const RunResult fromEnvironment = runNavRelay(common + QStringList{QStringLiteral("--var-env"), QStringLiteral("NAVRELAY_TEST_SECRET"),
                                                                       QStringLiteral("--report"), outputs + QStringLiteral("/env.jsonl"),
                                                                       QStringLiteral("--junit"), outputs + QStringLiteral("/env.xml"), script},
                                                  setting);
    const RunResult fromFile = runNavRelay(common + QStringList{QStringLiteral("--var-file"), secretFile, QStringLiteral("--report"),
                                                                outputs + QStringLiteral("/file.jsonl"), QStringLiteral("--junit"),
                                                                outputs + QStringLiteral("/file.xml"), script},
                                           setting);

    for (const RunResult *result : {&fromEnvironment, &fromFile}) {
        EXPECT_EQ(result->exitCode, 2) << result->errors.toStdString();
        EXPECT_TRUE(result->errors.contains(QStringLiteral("assert failed on line 4: \"$$$ is gone\" is not on the page")))
            << result->errors.toStdString();
        EXPECT_EQ(holdersOfTheSecret(outputs, *result), QStringList()) << result->errors.toStdString();
    }
    bool sent = false;
    for (const auto &request : server.pageRequests())
        sent = sent || (request.path == "/welcome" && QUrl::fromPercentEncoding(QByteArray::fromStdString(request.query)).contains(QStringLiteral("w\u00f6rd")));
    EXPECT_TRUE(sent) << "the page itself got the text";
    EXPECT_EQ(QDir(outputs + QStringLiteral("/evidence")).entryList(QDir::Files).size(), 8u) << "two runs, four files each";
    const QList<QJsonObject> records = reportRecords(outputs + QStringLiteral("/file.jsonl"));
    ASSERT_FALSE(records.isEmpty());
    EXPECT_EQ(records.at(2).value(QStringLiteral("text")).toString(), QStringLiteral("fill;pw;$$$"));
}

INSTANTIATE_TEST_SUITE_P(Engines, SecretOfTheRun, ::testing::Bool(),
                         [](const auto &info) { return info.param ? std::string("Chromium") : std::string("Builtin"); });

TEST(RunVerdict, UsageErrorsEndTheRunBeforeAnyPageIsAsked)
{
    TestServer server;
    server.page("/a", "<html><body>a</body></html>");
    QTemporaryDir folder;
    const QString script = writeTextFile(folder.filePath(QStringLiteral("s.nrs")), "nav;$$$/a\r\n");
    const QString plain = writeTextFile(folder.filePath(QStringLiteral("plain.nrs")), "nav;" + server.url("/a").toUtf8());
    RunSetting unset;
    unset.environment.remove(QStringLiteral("NAVRELAY_UNSET"));
    const struct {
        QStringList arguments;
        QString message;
    } cases[] = {
        {{script}, QStringLiteral("the script uses \"$$$\" and nothing gives its text")},
        {{QStringLiteral("--var-env"), QStringLiteral("NAVRELAY_UNSET"), script},
         QStringLiteral("--var-env: the environment variable NAVRELAY_UNSET is not set")},
        {{QStringLiteral("--var"), server.url(""), QStringLiteral("--var-file"), script, script},
         QStringLiteral("--var, --var-env and --var-file each give the text")},
        {{QStringLiteral("--var-file"), folder.filePath(QStringLiteral("none.txt")), script},
         QStringLiteral("--var-file: cannot read")},
        {{folder.filePath(QStringLiteral("missing.nrs"))}, QStringLiteral("missing.nrs: No such file or directory")},
        {{QStringLiteral("--junit"), folder.filePath(QStringLiteral("no/such/folder/j.xml")), plain},
         QStringLiteral("cannot write the JUnit file")},
        {{QStringLiteral("--report"), folder.path(), plain}, QStringLiteral("cannot write the report")},
        {{QStringLiteral("--browser"), QStringLiteral("builtin"), QStringLiteral("--devtools"), QStringLiteral("127.0.0.1:9"), plain},
         QStringLiteral("--devtools attaches to a Chromium: it cannot go with --browser builtin")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const RunResult result = runNavRelay(c.arguments, unset);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(result.errors.contains(c.message)) << result.errors.toStdString();
    }
    EXPECT_TRUE(server.pageRequests().empty());
}

// --devtools alone means Chromium; a port where nothing answers is told at once, not after the
// attach's thirty seconds and a message about starting one.
TEST(RunVerdict, ADevToolsEndpointThatDoesNotAnswerFailsWithinFiveSeconds)
{
    QTemporaryDir folder;
    const QString script = writeTextFile(folder.filePath(QStringLiteral("s.nrs")), "nav;about:blank\r\n");
    TestServer silent; // answers the DevTools question only after the run has given up
    silent.handle("GET", "/json/version", [](const httplib::Request &, httplib::Response &response) {
        std::this_thread::sleep_for(std::chrono::seconds(8));
        response.set_content("{}", "application/json");
    });
    for (const QString &endpoint : {QStringLiteral("127.0.0.1:9"), QStringLiteral("127.0.0.1:%1").arg(silent.port())}) {
        const RunResult result = runNavRelay({QStringLiteral("--devtools"), endpoint, script});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(result.errors.contains(QStringLiteral("no DevTools endpoint answers at %1").arg(endpoint))) << result.errors.toStdString();
        EXPECT_LT(result.elapsedMs, 5000);
    }
}

// A loop with no wait: 30,000 executions and more in a few seconds. The report keeps the first
// 10,000 and says how many it left out; its summary counts them all.
TEST(RunVerdict, ReportStartsWithTheRunRecordAndBoundsItsLineRecords)
{
    QTemporaryDir folder;
    const QByteArray scriptText = "rem;round\r\ngoto;1";
    const QString script = writeTextFile(folder.filePath(QStringLiteral("loop.nrs")), scriptText);
    const QString report = folder.filePath(QStringLiteral("report.jsonl"));
    RunSetting setting;
    setting.workingFolder = folder.path();
    const RunResult result = runNavRelay({QStringLiteral("--tick=0"), QStringLiteral("--timeout=3"), QStringLiteral("--report"), report,
                                          QStringLiteral("loop.nrs")},
                                         setting);
    EXPECT_EQ(result.exitCode, 3) << result.errors.toStdString();
    const QList<QJsonObject> records = reportRecords(report);
    ASSERT_GE(records.size(), 3);
    const QJsonObject run = records.first();
    EXPECT_EQ(run.value(QStringLiteral("type")).toString(), QStringLiteral("run"));
    EXPECT_EQ(run.value(QStringLiteral("script")).toString(), QStringLiteral("loop.nrs"));
    EXPECT_EQ(run.value(QStringLiteral("script_sha256")).toString(),
              QString::fromLatin1(QCryptographicHash::hash(scriptText, QCryptographicHash::Sha256).toHex()));
    EXPECT_EQ(run.value(QStringLiteral("engine")).toString(), QStringLiteral("builtin"));
    EXPECT_TRUE(run.value(QStringLiteral("navrelay_version")).toString().startsWith(QStringLiteral("2.")));
    EXPECT_FALSE(run.value(QStringLiteral("start")).toString().isEmpty());
    EXPECT_EQ(run.value(QStringLiteral("options")).toObject().value(QStringLiteral("timeout_s")).toInt(), 3);
    const QString runId = run.value(QStringLiteral("run")).toString();
    EXPECT_FALSE(runId.isEmpty());
    for (const QJsonObject &record : records)
        EXPECT_EQ(record.value(QStringLiteral("run")).toString(), runId);

    ASSERT_EQ(records.size(), 1 + 10000 + 2);
    const QJsonObject truncated = records.at(records.size() - 2);
    const QJsonObject summary = records.last();
    EXPECT_EQ(typesOf(records), (QStringList{"run", "line", "truncated", "summary"}));
    const int linesRun = summary.value(QStringLiteral("lines_run")).toInt();
    EXPECT_GT(linesRun, 10000);
    EXPECT_EQ(truncated.value(QStringLiteral("line_records_written")).toInt(), 10000);
    EXPECT_EQ(truncated.value(QStringLiteral("line_records_left_out")).toInt(), linesRun - 10000);
    EXPECT_LT(QFileInfo(report).size(), 4 * 1024 * 1024);
}

TEST(RunVerdict, JUnitFilesNameCasesByPathAndTellErrorsFromFailures)
{
    QTemporaryDir folder;
    RunSetting setting;
    setting.workingFolder = folder.path();
    // Two scripts of one name in two folders, one failing on a line with a control character.
    writeTextFile(folder.filePath(QStringLiteral("a/login.nrs")), "nav;about:blank\r\n");
    writeTextFile(folder.filePath(QStringLiteral("b/login.nrs")), "nav;about:blank\r\nclink;Esc\x1b here\r\n");
    const QString junitA = folder.filePath(QStringLiteral("a.xml"));
    const QString junitB = folder.filePath(QStringLiteral("b.xml"));
    const QString junitNoBrowser = folder.filePath(QStringLiteral("none.xml"));
    EXPECT_EQ(runNavRelay({QStringLiteral("--junit"), junitA, QStringLiteral("a/login.nrs")}, setting).exitCode, 0);
    EXPECT_EQ(runNavRelay({QStringLiteral("--strict"), QStringLiteral("--junit"), junitB, QStringLiteral("b/login.nrs")}, setting).exitCode, 2);
    const RunResult noBrowser = runNavRelay({QStringLiteral("--browser"), QStringLiteral("chromium"), QStringLiteral("--chromium"),
                                             folder.filePath(QStringLiteral("no-chromium")), QStringLiteral("--junit"), junitNoBrowser,
                                             QStringLiteral("a/login.nrs")},
                                            setting);
    EXPECT_EQ(noBrowser.exitCode, 1) << noBrowser.errors.toStdString();

    const QList<JUnitCaseSeen> a = readJUnit(junitA);
    const QList<JUnitCaseSeen> b = readJUnit(junitB);
    const QList<JUnitCaseSeen> none = readJUnit(junitNoBrowser);
    ASSERT_EQ(a.size(), 1);
    ASSERT_EQ(b.size(), 1) << "a control character in the message still gives a file a consumer reads";
    ASSERT_EQ(none.size(), 1);
    EXPECT_EQ(a[0].name, QStringLiteral("a/login.nrs"));
    EXPECT_EQ(a[0].classname, QStringLiteral("a.login"));
    EXPECT_EQ(a[0].outcome, QStringLiteral("passed"));
    EXPECT_EQ(b[0].name, QStringLiteral("b/login.nrs"));
    EXPECT_EQ(b[0].classname, QStringLiteral("b.login"));
    EXPECT_EQ(b[0].outcome, QStringLiteral("failure"));
    EXPECT_TRUE(b[0].message.contains(QStringLiteral("Esc\\u001B here"))) << b[0].message.toStdString();
    EXPECT_EQ(none[0].outcome, QStringLiteral("error")) << "a run that never ran is an error, not a failure";
}

// A page that shows its text only after a while: Chromium runs its script and waitfor sees the
// text come; the built-in engine runs no JavaScript, so its wait ends at its time.
TEST(RunVerdict, WaitforWaitsForTheTextAPageAddsLater)
{
    TestServer server;
    server.page("/late", "<html><body><script>setTimeout(() => document.body.insertAdjacentHTML('beforeend', '<p>Do' + 'ne</p>'), 800)"
                         "</script></body></html>");
    QTemporaryDir folder;
    const QString script = writeTextFile(folder.filePath(QStringLiteral("late.nrs")),
                                         "nav;" + server.url("/late").toUtf8() + "\r\nwaitfor;Done;4\r\nassert;Done\r\n");
    RunSetting setting;
    setting.environment.insert(QStringLiteral("XDG_DATA_HOME"), folder.filePath(QStringLiteral("data")));
    const RunResult builtin = runNavRelay({QStringLiteral("--tick=0"), script}, setting);
    EXPECT_EQ(builtin.exitCode, 2);
    EXPECT_TRUE(builtin.errors.contains(QStringLiteral("waitfor failed on line 2: \"Done\" is not on the page after 4 s")))
        << builtin.errors.toStdString();
    EXPECT_GE(builtin.elapsedMs, 4000);
    if (!QFile::exists(kChromium))
        GTEST_SKIP() << "Chromium is not installed";
    const RunResult chromium = runNavRelay({QStringLiteral("--tick=0"), QStringLiteral("--browser=chromium"), script}, setting);
    EXPECT_EQ(chromium.exitCode, 0) << chromium.errors.toStdString();
}

} // namespace
