// navrelay-run against a server whose pages and style sheets change between loads: what may not
// be kept is fetched again, what is fresh is used without a request, and what has a validator is
// asked about with a conditional request that the server answers with 304.
#include "QtPrinters.h"
#include "RunProcess.h"
#include "TestServer.h"

#include <QDir>
#include <QFile>
#include <QColor>
#include <QImage>
#include <QTemporaryDir>

#include <atomic>
#include <map>
#include <mutex>

#include <gtest/gtest.h>

namespace {

const QString kChromium = QStringLiteral("/usr/bin/chromium");
const std::string kTag = "\"v1\"";
const std::string kLastModified = "Tue, 03 Jun 2025 10:00:00 GMT";

// Answers that change with every request that reaches the server, under the cache headers given.
class ChangingServer {
public:
    ChangingServer()
    {
        server.page("/other", "<p>another page</p>");
        serve("/nostore-page", {{"Cache-Control", "no-store"}}, page);
        serve("/fresh-page", {{"Cache-Control", "max-age=3600"}}, page);
        serve("/etag-page", {{"ETag", kTag}}, page);
        serve("/dated-page", {{"Cache-Control", "no-cache"}, {"Last-Modified", kLastModified}}, page);
        server.page("/styled", "<link rel=stylesheet href=/fresh.css><link rel=stylesheet href=/nostore.css>"
                               "<link rel=stylesheet href=/etag.css><style>body { margin: 0 } div { width: 120px; height: 60px }</style>"
                               "<div id=a></div><div id=b></div><div id=c></div>");
        serve("/fresh.css", {{"Cache-Control", "max-age=3600"}}, sheet("#a", "rgb(255, 0, 0)", "rgb(0, 0, 255)"));
        serve("/nostore.css", {{"Cache-Control", "no-store"}}, sheet("#b", "rgb(0, 128, 0)", "rgb(255, 255, 0)"));
        serve("/etag.css", {{"ETag", kTag}}, sheet("#c", "rgb(128, 0, 128)", "rgb(0, 255, 255)"));
    }

    // The requests that reached the path, in order.
    std::vector<TestServer::Request> requestsFor(const std::string &path) const
    {
        std::vector<TestServer::Request> found;
        for (const TestServer::Request &request : server.pageRequests()) {
            if (request.path == path)
                found.push_back(request);
        }
        return found;
    }

    // What the path answered, in order: the status of each answer.
    std::vector<int> statusesOf(const std::string &path) const
    {
        const std::lock_guard lock(mutex);
        const auto found = statuses.find(path);
        return found == statuses.end() ? std::vector<int>() : found->second;
    }

    TestServer server;

private:
    using Body = std::function<std::string(int visit)>;

    static std::string page(int visit) { return "<p>visit " + std::to_string(visit) + "</p>"; }

    static Body sheet(const std::string &selector, const std::string &first, const std::string &later)
    {
        return [=](int visit) { return selector + " { background-color: " + (visit == 1 ? first : later) + " }"; };
    }

    void serve(const std::string &path, const std::multimap<std::string, std::string> &headers, const Body &body)
    {
        const bool css = path.ends_with(".css");
        server.handle("GET", path, [=, this](const httplib::Request &request, httplib::Response &response) {
            const std::lock_guard lock(mutex);
            const bool unchanged = request.get_header_value("If-None-Match") == kTag
                || request.get_header_value("If-Modified-Since") == kLastModified;
            for (const auto &[name, value] : headers)
                response.set_header(name, value);
            response.status = unchanged ? 304 : 200;
            if (!unchanged)
                response.set_content(body(int(statuses[path].size()) + 1), css ? "text/css" : "text/html");
            statuses[path].push_back(response.status);
        });
    }

    mutable std::mutex mutex;
    std::map<std::string, std::vector<int>> statuses;
};

class CachingRun : public ::testing::Test {
protected:
    RunResult run(const QByteArray &lines, QStringList options)
    {
        const QString script = writeTextFile(folder.filePath(QStringLiteral("cache.nrs")), lines);
        options << QStringLiteral("--tick") << QStringLiteral("0") << QStringLiteral("--timeout") << QStringLiteral("90")
                << QStringLiteral("--var") << changing.server.url("") << script;
        return runNavRelay(options, setting);
    }

    [[nodiscard]] QString evidenceFile(const QString &suffix) const
    {
        const QStringList found = QDir(folder.filePath(QStringLiteral("evidence"))).entryList({QStringLiteral("*") + suffix});
        return found.size() == 1 ? folder.filePath(QStringLiteral("evidence/") + found.constFirst()) : QString();
    }

    ChangingServer changing;
    QTemporaryDir folder;
    QTemporaryDir dataHome;
    RunSetting setting;
};

// Each page shows how many requests of it reached the server.
const QByteArray kRevisits = "nav;$$$/nostore-page\r\nassert;visit 1\r\n"
                             "nav;$$$/fresh-page\r\nassert;visit 1\r\n"
                             "nav;$$$/etag-page\r\nassert;visit 1\r\n"
                             "nav;$$$/dated-page\r\nassert;visit 1\r\n"
                             "nav;$$$/other\r\n"
                             "nav;$$$/nostore-page\r\nassert;visit 2\r\n"
                             "nav;$$$/fresh-page\r\nassert;visit 1\r\n"
                             "nav;$$$/etag-page\r\nassert;visit 1\r\n"
                             "nav;$$$/dated-page\r\nassert;visit 1\r\n";

TEST_F(CachingRun, PagesAreFetchedAgainUsedFreshOrAskedAboutAsTheirHeadersSay)
{
    const RunResult result = run(kRevisits, {});
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_EQ(changing.statusesOf("/nostore-page"), (std::vector<int>{200, 200}));
    EXPECT_EQ(changing.statusesOf("/fresh-page"), (std::vector<int>{200})) << "fresh: no second request";
    EXPECT_EQ(changing.statusesOf("/etag-page"), (std::vector<int>{200, 304}));
    EXPECT_EQ(changing.statusesOf("/dated-page"), (std::vector<int>{200, 304}));
    const auto tagged = changing.requestsFor("/etag-page");
    ASSERT_EQ(tagged.size(), 2u);
    EXPECT_EQ(tagged[0].header("If-None-Match"), "");
    EXPECT_EQ(tagged[1].header("If-None-Match"), kTag);
    const auto dated = changing.requestsFor("/dated-page");
    ASSERT_EQ(dated.size(), 2u);
    EXPECT_EQ(dated[1].header("If-Modified-Since"), kLastModified);
}

TEST_F(CachingRun, ChromiumShowsTheSamePagesOnTheSameLoads)
{
    if (!QFile::exists(kChromium))
        GTEST_SKIP() << "Chromium is not installed";
    setting.environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome.path());
    const RunResult result = run(kRevisits, {QStringLiteral("--browser"), QStringLiteral("chromium")});
    EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
}

TEST_F(CachingRun, AShownPageDrawsTheStyleSheetsItsServerChangedAndKeepsTheOthers)
{
    const RunResult result = run("nav;$$$/styled\r\nsleep;1500\r\nnav;$$$/other\r\nnav;$$$/styled\r\nsleep;1500\r\n"
                                 "assert;words the page lacks\r\n",
                                 {QStringLiteral("--show"), QStringLiteral("--evidence"), folder.filePath(QStringLiteral("evidence"))});
    EXPECT_EQ(result.exitCode, 2) << result.errors.toStdString();
    EXPECT_EQ(changing.statusesOf("/fresh.css"), (std::vector<int>{200})) << "fresh: used without a request";
    const std::vector<int> noStore = changing.statusesOf("/nostore.css");
    EXPECT_GE(noStore.size(), 2u) << "fetched again for the page shown again";
    const std::vector<int> tagged = changing.statusesOf("/etag.css");
    ASSERT_GE(tagged.size(), 2u);
    EXPECT_EQ(tagged.front(), 200);
    EXPECT_TRUE(std::all_of(tagged.begin() + 1, tagged.end(), [](int status) { return status == 304; }));

    const QImage picture = QImage(evidenceFile(QStringLiteral(".page.png"))).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(picture.isNull()) << result.errors.toStdString();
    // The three boxes one under the other below the window's bars, each drawn by its own sheet:
    // the first pixel of colour down the picture is the first box's.
    int top = 0;
    while (top < picture.height() && QColor(picture.pixel(60, top)).hsvSaturation() == 0)
        ++top;
    EXPECT_EQ(QColor(picture.pixel(60, top + 30)), QColor(255, 0, 0)) << "the fresh sheet as first read";
    EXPECT_EQ(QColor(picture.pixel(60, top + 90)), QColor(255, 255, 0)) << "the sheet that may not be kept, as changed";
    EXPECT_EQ(QColor(picture.pixel(60, top + 150)), QColor(128, 0, 128)) << "the sheet the server said is unchanged";
}

} // namespace
