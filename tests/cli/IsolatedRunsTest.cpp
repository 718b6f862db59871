// Parallel navrelay-run processes with --isolated each drive a Chromium of their own: none sees
// another's navigations, and no profile is left behind.
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

} // namespace
