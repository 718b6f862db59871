// Every folder of tests/fixtures/scripts is one end-to-end case: navrelay-run runs its script.nrs
// against its site/ served on 127.0.0.1, and the exit status, the requests the server saw and
// the messages on standard error must be those its expect.txt lists; so must the --report,
// --junit and --evidence files when it lists them.
#include "QtPrinters.h"
#include "TestServer.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMimeDatabase>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <chrono>
#include <optional>
#include <thread>

#include <gtest/gtest.h>

namespace {

struct Expectation {
    int exitCode = 0;
    QStringList requests;  // "METHOD target", in order
    QStringList bodies;    // "target body", for each request with a body
    QStringList bodyParts; // texts that some request body must hold
    QStringList stderrTexts;
    QStringList ignored; // requests a browser may or may not make again (history, caches)
    QStringList arguments;
    bool chromium = true;
    bool builtin = true;
    QStringList reportLines; // "LINE COMMAND STATUS TARGET OUTCOME" for each record, in order
    QStringList junit;       // "TESTS FAILURES"
    QStringList evidence;    // "SUFFIX TEXT": the file SCRIPT.SUFFIX exists and holds the text
};

QString fixturesRoot()
{
    return QStringLiteral(NAVRELAY_FIXTURES "/scripts");
}

Expectation readExpectation(const QString &folder)
{
    QFile file(folder + QStringLiteral("/expect.txt"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << folder.toStdString();
    Expectation expectation;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (line.startsWith(QLatin1Char('#')) || colon < 0)
            continue;
        const QString key = line.left(colon).trimmed();
        const QString value = line.mid(colon + 1).trimmed();
        if (key == QLatin1String("exit"))
            expectation.exitCode = value.toInt();
        else if (key == QLatin1String("request"))
            expectation.requests << value;
        else if (key == QLatin1String("body"))
            expectation.bodies << value;
        else if (key == QLatin1String("body-contains"))
            expectation.bodyParts << QString(value).replace(QStringLiteral("\\r\\n"), QStringLiteral("\r\n"));
        else if (key == QLatin1String("ignore"))
            expectation.ignored << value;
        else if (key == QLatin1String("stderr"))
            expectation.stderrTexts << value;
        else if (key == QLatin1String("args"))
            expectation.arguments << value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        else if (key == QLatin1String("chromium"))
            expectation.chromium = value != QLatin1String("no");
        else if (key == QLatin1String("builtin"))
            expectation.builtin = value != QLatin1String("no");
        else if (key == QLatin1String("report"))
            expectation.reportLines << value;
        else if (key == QLatin1String("junit"))
            expectation.junit << value;
        else if (key == QLatin1String("evidence"))
            expectation.evidence << value;
    }
    return expectation;
}

// Serves the fixture's site/ folder, and a few addresses every fixture may use.
void serveSite(TestServer &server, const QString &siteFolder)
{
    server.handle("GET", "/loop", [](const httplib::Request &, httplib::Response &response) {
        response.set_redirect("/loop", 302);
    });
    server.handle("GET", "/hang", [](const httplib::Request &, httplib::Response &response) {
        std::this_thread::sleep_for(std::chrono::seconds(4)); // longer than the run may wait
        response.set_content("late", "text/html");
    });
    server.handle("GET", "/big", [](const httplib::Request &, httplib::Response &response) {
        response.set_content("<html><body>" + std::string(50 << 20, 'x') + "</body></html>", "text/html");
    });
    server.handle("GET", "/redirect", [](const httplib::Request &request, httplib::Response &response) {
        response.set_redirect(request.get_param_value("to"), 302);
    });
    server.handle("POST", "/redirect", [](const httplib::Request &request, httplib::Response &response) {
        response.set_redirect(request.get_param_value("to"), 303);
    });
    server.handle("GET", "/gone", [](const httplib::Request &, httplib::Response &response) {
        response.status = 410;
        response.set_content("<html><body><p>gone for good</p></body></html>", "text/html");
    });
    server.handle("GET", "/setcookie", [](const httplib::Request &request, httplib::Response &response) {
        response.set_header("Set-Cookie", request.get_param_value("name") + "=" + request.get_param_value("value") + "; Path=/");
        response.set_content("<html><body><p>cookie set</p><a href=\"/echo\">echo</a></body></html>", "text/html");
    });
    const httplib::Server::Handler echo = [](const httplib::Request &request, httplib::Response &response) {
        std::string html = "<html><body><p id=\"target\">target:" + request.target + "</p><p id=\"method\">"
            + request.method + "</p><p id=\"cookie\">"
            + request.get_header_value("Cookie") + "</p><pre id=\"body\">" + request.body + "</pre>"
            + "<a href=\"/echo?again=1\">again</a></body></html>";
        response.set_content(html, "text/html; charset=utf-8");
    };
    server.handle("GET", "/echo", echo);
    server.handle("POST", "/echo", echo);

    QMimeDatabase mimeTypes;
    QDir site(siteFolder);
    for (const QString &name : site.entryList(QDir::Files)) {
        QFile file(site.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        QString type = mimeTypes.mimeTypeForFile(name, QMimeDatabase::MatchExtension).name();
        if (name.endsWith(QLatin1String(".html")) || !name.contains(QLatin1Char('.')))
            type = QStringLiteral("text/html"); // the page's own charset rules apply
        server.page(QStringLiteral("/%1").arg(name).toStdString(), file.readAll().toStdString(), type.toStdString());
    }
}

QStringList requestLines(const std::vector<TestServer::Request> &requests, const QStringList &ignored)
{
    QStringList lines;
    for (const auto &request : requests) {
        const QString line = QString::fromStdString(request.method + " " + request.target());
        if (!ignored.contains(line))
            lines << line;
    }
    return lines;
}

QStringList bodyLines(const std::vector<TestServer::Request> &requests)
{
    QStringList lines;
    for (const auto &request : requests) {
        if (!request.body.empty())
            lines << QString::fromStdString(request.target() + " " + request.body);
    }
    return lines;
}

// The report's line records as "LINE COMMAND STATUS TARGET OUTCOME", the address made relative
// to the server (given as "$$$", which the report never spells out); and its summary, which must
// come last.
QStringList reportLines(const QString &path, const QString &serverUrl, QJsonObject &summary)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("no report")};
    QStringList lines;
    for (const QByteArray &text : file.readAll().split('\n')) {
        if (text.isEmpty())
            continue;
        const QJsonObject record = QJsonDocument::fromJson(text).object();
        const QString type = record.value(QStringLiteral("type")).toString();
        if (type == QLatin1String("summary"))
            summary = record;
        if (type == QLatin1String("run") && !lines.isEmpty())
            lines << QStringLiteral("the run record is not the first");
        if (type != QLatin1String("line"))
            continue;
        lines << QStringLiteral("%1 %2 %3 %4 %5")
                     .arg(record.value(QStringLiteral("line")).toInt())
                     .arg(record.value(QStringLiteral("command")).toString())
                     .arg(record.value(QStringLiteral("http_status")).toInt())
                     .arg(record.value(QStringLiteral("address")).toString().remove(serverUrl).remove(QStringLiteral("$$$")))
                     .arg(record.value(QStringLiteral("outcome")).toString());
    }
    return lines;
}

// "TESTS FAILURES" of the one suite, after checking the one test case is named after the script.
QString junitCounts(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("no file");
    QXmlStreamReader xml(&file);
    int suites = 0;
    int cases = 0;
    int failures = 0;
    QString counts;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("testsuite")) {
            ++suites;
            counts = QStringLiteral("%1 %2").arg(xml.attributes().value(QStringLiteral("tests")),
                                                 xml.attributes().value(QStringLiteral("failures")));
        } else if (xml.name() == QLatin1String("testcase")) {
            cases += xml.attributes().value(QStringLiteral("name")).endsWith(QLatin1String("/script.nrs"));
        } else if (xml.name() == QLatin1String("failure")) {
            ++failures;
        }
    }
    if (xml.hasError() || suites != 1 || cases != 1)
        return QStringLiteral("malformed: %1").arg(xml.errorString());
    return counts + QStringLiteral(" (%1 failure elements)").arg(failures);
}

void checkRunFiles(const Expectation &expectation, const QTemporaryDir &files, const QString &serverUrl, int exitCode)
{
    if (!expectation.reportLines.isEmpty()) {
        QJsonObject summary;
        EXPECT_EQ(reportLines(files.filePath("report.jsonl"), serverUrl, summary), expectation.reportLines);
        EXPECT_EQ(summary.value(QStringLiteral("exit_status")).toInt(-1), exitCode);
        EXPECT_EQ(summary.value(QStringLiteral("lines_run")).toInt(), expectation.reportLines.size());
    }
    for (const QString &counts : expectation.junit) {
        const QString failures = counts.section(QLatin1Char(' '), 1, 1);
        EXPECT_EQ(junitCounts(files.filePath("junit.xml")), QStringLiteral("%1 (%2 failure elements)").arg(counts, failures));
    }
    for (const QString &evidence : expectation.evidence) {
        // The files are named after the script and the run.
        const QDir folder(files.filePath(QStringLiteral("evidence")));
        const QStringList named = folder.entryList({QStringLiteral("script.*.") + evidence.section(QLatin1Char(' '), 0, 0)});
        ASSERT_EQ(named.size(), 1) << evidence.toStdString();
        QFile file(folder.filePath(named.constFirst()));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
        const QByteArray bytes = file.readAll();
        const QString text = evidence.section(QLatin1Char(' '), 1);
        if (file.fileName().endsWith(QLatin1String(".png")))
            EXPECT_TRUE(bytes.startsWith("\x89PNG\r\n\x1a\n")) << "not a PNG";
        else
            EXPECT_TRUE(QString::fromUtf8(bytes).contains(text)) << file.fileName().toStdString() << " lacks: " << text.toStdString();
    }
}

enum class Backend { Builtin, Chromium };

const QString kChromium = QStringLiteral("/usr/bin/chromium");

// The data folder of a run on Chromium: each case's Chromium gets a profile of its own.
class ChromiumForCase {
public:
    [[nodiscard]] QStringList arguments() const { return {QStringLiteral("--browser"), QStringLiteral("chromium")}; }
    void configure(QProcess &run) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_dataHome.path());
        run.setProcessEnvironment(environment);
    }

private:
    QTemporaryDir m_dataHome;
};

class ScriptFixture : public ::testing::TestWithParam<std::tuple<std::string, Backend>> {};

TEST_P(ScriptFixture, RunsAsExpected)
{
    const auto &[name, backend] = GetParam();
    const QString folder = fixturesRoot() + QLatin1Char('/') + QString::fromStdString(name);
    const Expectation expectation = readExpectation(folder);
    // Chromium goes before the server does: its open connections would hold the server's stop.
    TestServer server;
    std::optional<ChromiumForCase> chromium;
    if (backend == Backend::Builtin && !expectation.builtin)
        GTEST_SKIP() << "the case needs a page's own script: Chromium only";
    if (backend == Backend::Chromium) {
        if (!QFile::exists(kChromium))
            GTEST_SKIP() << "Chromium is not installed";
        if (!expectation.chromium)
            GTEST_SKIP() << "the case is for the built-in engine only";
        chromium.emplace();
    }
    serveSite(server, folder + QStringLiteral("/site"));

    QProcess run;
    // The bound only ends a run that hangs; a sanitizer build parses the largest pages slowly.
    QStringList arguments{QStringLiteral("--tick"), QStringLiteral("0"), QStringLiteral("--timeout"),
                          QStringLiteral("60"), QStringLiteral("--var"), server.url("")};
    if (chromium) {
        arguments << chromium->arguments();
        chromium->configure(run);
    }
    QTemporaryDir files;
    if (!expectation.reportLines.isEmpty())
        arguments << QStringLiteral("--report") << files.filePath("report.jsonl");
    if (!expectation.junit.isEmpty())
        arguments << QStringLiteral("--junit=%1").arg(files.filePath("junit.xml"));
    if (!expectation.evidence.isEmpty())
        arguments << QStringLiteral("--evidence") << files.filePath("evidence");
    arguments << expectation.arguments << folder + QStringLiteral("/script.nrs");
    run.start(QStringLiteral(NAVRELAY_RUN_PATH), arguments);
    ASSERT_TRUE(run.waitForFinished(100000));
    const QString errors = QString::fromLocal8Bit(run.readAllStandardError());

    EXPECT_EQ(run.exitCode(), expectation.exitCode) << errors.toStdString();
    const auto requests = server.pageRequests();
    EXPECT_EQ(requestLines(requests, expectation.ignored), expectation.requests) << errors.toStdString();
    if (expectation.bodyParts.isEmpty()) {
        EXPECT_EQ(bodyLines(requests), expectation.bodies);
    }
    const QString allBodies = bodyLines(requests).join(QLatin1Char('\n'));
    for (const QString &part : expectation.bodyParts)
        EXPECT_TRUE(allBodies.contains(part)) << "no body holds: " << part.toStdString() << "\n" << allBodies.toStdString();
    for (const QString &text : expectation.stderrTexts)
        EXPECT_TRUE(errors.contains(text)) << "missing on stderr: " << text.toStdString() << "\n" << errors.toStdString();
    checkRunFiles(expectation, files, server.url(""), run.exitCode());
}

std::vector<std::string> fixtureNames()
{
    std::vector<std::string> names;
    for (const QString &name : QDir(fixturesRoot()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        names.push_back(name.toStdString());
    return names;
}

INSTANTIATE_TEST_SUITE_P(Scripts, ScriptFixture,
                         ::testing::Combine(::testing::ValuesIn(fixtureNames()),
                                            ::testing::Values(Backend::Builtin, Backend::Chromium)),
                         [](const auto &info) {
                             std::string name = std::get<0>(info.param);
                             std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
                             return name + (std::get<1>(info.param) == Backend::Builtin ? "_builtin" : "_chromium");
                         });

} // namespace
