// Parallel navrelay-run processes each drive a Chromium of their own: with --isolated none sees
// another's navigations, without it they share NavRelay's profile by turns, one at a time and the
// others on throwaway profiles, and no profile is left behind.
#include "ProcessProbe.h"
#include "QtWait.h"
#include "TestServer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>

namespace {

TEST(IsolatedRuns, FourAtOnceNeverSteerEachOthersPages)
{
    if (!QFile::exists(QStringLiteral("/usr/bin/chromium")))
        GTEST_SKIP() << "Chromium is not installed";
    TestServer server;
    QTemporaryDir scripts;
    QTemporaryDir temporaryRoot; // the runs' temporary profiles are made here
    constexpr int kRuns = 4;
    constexpr int kRounds = 6;
    std::array<std::unique_ptr<QProcess>, kRuns> runs;
    for (int run = 0; run < kRuns; ++run) {
        const std::string page = "/run" + std::to_string(run);
        server.page(page, "<html><body>page of run " + std::to_string(run) + "</body></html>");
        // A foreign navigation in this run's window shows another run's page: "not" then jumps
        // outside the script, which halts the run.
        QStringList lines;
        for (int round = 0; round < kRounds; ++round)
            lines << "nav;" + server.url(page) << QStringLiteral("not;page of run %1;goto;99").arg(run);
        QFile script(scripts.filePath(QStringLiteral("run%1.nrs").arg(run)));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(lines.join(QStringLiteral("\r\n")).toUtf8());
        script.close();
        runs[run] = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), temporaryRoot.path());
        runs[run]->setProcessEnvironment(environment);
        runs[run]->start(QStringLiteral(NAVRELAY_RUN_PATH),
                         {"--browser", "chromium", "--isolated", "--tick", "0", "--timeout", "90", script.fileName()});
    }
    for (int run = 0; run < kRuns; ++run) {
        ASSERT_TRUE(runs[run]->waitForFinished(110000)) << run;
        EXPECT_EQ(runs[run]->exitCode(), 0) << run << ": " << runs[run]->readAllStandardError().toStdString();
    }
    EXPECT_TRUE(waitUntil([&] { return processesNaming(temporaryRoot.path()).empty(); }));
    EXPECT_TRUE(QDir(temporaryRoot.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        << "every temporary profile is removed";
}

// Started at the same moment, the runs race for NavRelay's own profile: one takes it, the others
// find it taken and each start its browser on a throwaway profile.
TEST(IsolatedRuns, SixStartedAtOnceOnOneProfileAllFinish)
{
    if (!QFile::exists(QStringLiteral("/usr/bin/chromium")))
        GTEST_SKIP() << "Chromium is not installed";
    TestServer server;
    server.page("/page", "<html><body>the shared page</body></html>");
    QTemporaryDir dataHome;
    QTemporaryDir temporaryRoot;
    QTemporaryDir scripts;
    QFile script(scripts.filePath(QStringLiteral("run.nrs")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("nav;" + server.url("/page").toUtf8() + "\r\nassert;the shared page\r\n");
    script.close();
    constexpr int kRuns = 6;
    std::array<std::unique_ptr<QProcess>, kRuns> runs;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome.path());
    environment.insert(QStringLiteral("TMPDIR"), temporaryRoot.path());
    for (auto &run : runs) {
        run = std::make_unique<QProcess>();
        run->setProcessEnvironment(environment);
    }
    for (auto &run : runs)
        run->start(QStringLiteral(NAVRELAY_RUN_PATH), {"--browser", "chromium", "--timeout", "100", script.fileName()});
    for (int run = 0; run < kRuns; ++run) {
        ASSERT_TRUE(runs[run]->waitForFinished(115000)) << run;
        EXPECT_EQ(runs[run]->exitCode(), 0) << run << ": " << runs[run]->readAllStandardError().toStdString();
    }
    EXPECT_TRUE(waitUntil([&] { return processesNaming(dataHome.path()).empty() && processesNaming(temporaryRoot.path()).empty(); }));
    EXPECT_TRUE(QDir(temporaryRoot.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        << "every throwaway profile is removed";
}

} // namespace
