// navrelay-run drawing pages whose style sheets attack the view: sheets that import themselves
// or each other, blocks and parentheses nested tens of thousands deep. The page is drawn, in
// the window and in the evidence picture, without a crash and within bounded memory.
#include "QtPrinters.h"
#include "RunProcess.h"
#include "TestServer.h"

#include <QDir>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <gtest/gtest.h>

namespace {

#ifdef NAVRELAY_SANITIZED
constexpr long kPeakKilobytes = 2L * 1024 * 1024;
#else
// A run drawing such a page took 19 GB before it crashed; a page of the same size with plain
// sheets takes under 200 MB.
constexpr long kPeakKilobytes = 512L * 1024;
#endif

std::string repeated(const std::string &part, size_t times)
{
    std::string whole;
    whole.reserve(part.size() * times);
    for (size_t i = 0; i < times; ++i)
        whole += part;
    return whole;
}

class StyleFaults : public ::testing::Test {
protected:
    StyleFaults()
    {
        server.page("/self.css", "@import url(/self.css); p { color: red }", "text/css");
        server.page("/a.css", "@import url(/b.css); p { color: red }", "text/css");
        server.page("/b.css", "@import url(/a.css); p { color: blue }", "text/css");
        server.page("/quoted.css", "p { color: green }", "text/css");
        server.page("/imports", "<style>@import url(/self.css); @import url(/a.css); @import \"quoted.css\";</style>"
                                "<link rel=stylesheet href=/self.css><p>text</p>");
        server.page("/media", "<style>" + repeated("@media all{", 10'000) + "p{color:red}</style><p>text</p>");
        server.page("/media-deep", "<style>" + repeated("@media all{", 50'000) + "p{color:red}</style><p>text</p>");
        server.page("/not-deep", "<style>" + repeated(":not(", 50'000) + "p{color:red}</style><p>text</p>");
    }

    // Runs the script on the page with the options; the run's result, its evidence folder's files.
    RunResult run(const std::string &path, const QStringList &options, const QString &script)
    {
        const QString file = writeTextFile(folder.filePath(QStringLiteral("style.nrs")), script.toUtf8());
        return runNavRelay(QStringList{QStringLiteral("--tick"), QStringLiteral("0"), QStringLiteral("--timeout"), QStringLiteral("60"),
                                       QStringLiteral("--var"), server.url(path)}
                           + options + QStringList{file});
    }

    QStringList requested() const
    {
        QStringList targets;
        for (const auto &request : server.pageRequests())
            targets << QString::fromStdString(request.target());
        return targets;
    }

    QTemporaryDir folder;
    TestServer server;
};

TEST_F(StyleFaults, SheetsThatImportThemselvesOrEachOtherAreReadOnceAndQuotedImportsFound)
{
    const RunResult result = run("/imports", {QStringLiteral("--show")}, QStringLiteral("nav;$$$\r\nsleep;1500\r\n"));
    EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
    const QStringList targets = requested();
    EXPECT_EQ(targets.count(QStringLiteral("/self.css")), 1) << targets.join(' ').toStdString();
    EXPECT_EQ(targets.count(QStringLiteral("/a.css")), 1) << targets.join(' ').toStdString();
    EXPECT_EQ(targets.count(QStringLiteral("/b.css")), 1) << targets.join(' ').toStdString();
    EXPECT_TRUE(targets.contains(QStringLiteral("/quoted.css"))) << targets.join(' ').toStdString();
}

TEST_F(StyleFaults, BlocksAndParenthesesNestedWithoutEndAreCutInEveryMode)
{
    for (const std::string path : {"/media", "/media-deep", "/not-deep"}) {
        SCOPED_TRACE(path);
        const QString evidence = folder.filePath(QString::fromStdString("evidence" + path));
        const RunResult failed = run(path, {QStringLiteral("--strict"), QStringLiteral("--evidence"), evidence},
                                     QStringLiteral("nav;$$$\r\nclink;No such link\r\n"));
        EXPECT_EQ(failed.exitCode, 2) << failed.errors.toStdString();
        EXPECT_EQ(QDir(evidence).entryList({QStringLiteral("*.png")}).size(), 1u) << failed.errors.toStdString();
        const RunResult shown = run(path, {QStringLiteral("--show")}, QStringLiteral("nav;$$$\r\nsleep;500\r\n"));
        EXPECT_EQ(shown.exitCode, 0) << shown.errors.toStdString();
    }
    rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage);
    EXPECT_LT(usage.ru_maxrss, kPeakKilobytes) << "kilobytes at the peak of the largest run";
}

} // namespace
