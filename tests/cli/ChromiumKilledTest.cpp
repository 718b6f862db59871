// navrelay-run on the Chromium it starts: the browser opens no port and keeps its profile to its
// user, and lives as long as the run; when it is killed in the middle of a script, the run
// attaches again to a Chromium it starts anew and runs the script from its first line.
#include "ProcessProbe.h"
#include "QtPrinters.h"
#include "QtWait.h"
#include "TestServer.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <thread>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

const QString kChromium = QStringLiteral("/usr/bin/chromium");

TEST(ChromiumOfTheRun, IsPrivateEndsWithTheRunAndWhenKilledIsStartedAgainFromLineOne)
{
    if (!QFile::exists(kChromium))
        GTEST_SKIP() << "Chromium is not installed";
    QTemporaryDir dataHome;
    std::atomic<int> holds = 0;
    std::atomic<bool> killed = false;
    TestServer server;
    server.page("/start", "<html><body>start</body></html>");
    server.page("/end", "<html><body>end</body></html>");
    // The first load of /hold is held until Chromium has been killed.
    server.handle("GET", "/hold", [&](const httplib::Request &, httplib::Response &response) {
        if (holds++ == 0) {
            const auto until = std::chrono::steady_clock::now() + 30s;
            while (!killed && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(20ms);
        }
        response.set_content("<html><body>held</body></html>", "text/html");
    });
    QTemporaryDir scripts;
    QFile script(scripts.filePath("script.nrs"));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("nav;$$$/start\r\nnav;$$$/hold\r\nnav;$$$/end\r\n");
    script.close();

    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome.path());
    run.setProcessEnvironment(environment);
    run.start(QStringLiteral(NAVRELAY_RUN_PATH),
              {"--browser", "chromium", "--tick", "0", "--timeout", "90", "--var", server.url(""), script.fileName()});
    const bool held = waitUntil([&] { return holds > 0; }, 60000);
    const auto browser = processesNaming(dataHome.path());
    const std::vector<int> listening = listeningPortsOf(browser);
    struct stat profile {};
    const QString profileFolder = dataHome.filePath(QStringLiteral("NavRelay/navrelay-run/chromium-profile"));
    const bool profileFound = ::stat(QFile::encodeName(profileFolder).constData(), &profile) == 0;
    killProcessesNaming(dataHome.path());
    killed = true;
    const bool ended = held && run.waitForFinished(120000);
    const QString errors = QString::fromLocal8Bit(run.readAllStandardError());
    if (!ended)
        run.kill();
    const bool browserEnded = waitUntil([&] { return processesNaming(dataHome.path()).empty(); });
    killProcessesNaming(dataHome.path());
    ASSERT_TRUE(held) << errors.toStdString();
    ASSERT_TRUE(ended) << errors.toStdString();

    EXPECT_FALSE(browser.empty());
    EXPECT_TRUE(listening.empty());
    ASSERT_TRUE(profileFound);
    EXPECT_EQ(profile.st_mode & 0777, 0700u);
    EXPECT_TRUE(browserEnded);

    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.exitCode(), 0) << errors.toStdString();
    QStringList requested;
    for (const auto &request : server.pageRequests())
        requested << QString::fromStdString(request.target());
    EXPECT_EQ(requested, (QStringList{"/start", "/hold", "/start", "/hold", "/end"})) << errors.toStdString();
}

} // namespace
