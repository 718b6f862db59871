// navrelay-run on Chromium when Chromium is killed in the middle of a script: the run attaches
// again to a Chromium it starts anew and runs the script from its first line.
#include "QtPrinters.h"
#include "QtWait.h"
#include "TestServer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTcpServer>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <thread>

#include <csignal>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

const QString kChromium = QStringLiteral("/usr/bin/chromium");

// The processes whose command line names the folder: the Chromium of that profile and its helpers.
std::vector<pid_t> processesNaming(const QString &folder)
{
    std::vector<pid_t> found;
    const QByteArray needle = QFile::encodeName(folder);
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isPid = false;
        const pid_t pid = entry.toInt(&isPid);
        QFile commandLine(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (isPid && commandLine.open(QIODevice::ReadOnly) && commandLine.readAll().contains(needle))
            found.push_back(pid);
    }
    return found;
}

// Kills every process group that holds a process naming the folder.
void killChromiumOf(const QString &folder)
{
    for (const pid_t pid : processesNaming(folder)) {
        const pid_t group = ::getpgid(pid);
        if (group > 1 && group != ::getpgrp())
            ::kill(-group, SIGKILL);
        ::kill(pid, SIGKILL);
    }
}

int freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

TEST(ChromiumKilled, TheRunAttachesAgainAndStartsAtLineOne)
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
              {"--browser", "chromium", "--devtools", QStringLiteral("127.0.0.1:%1").arg(freePort()), "--tick", "0",
               "--timeout", "90", "--var", server.url(""), script.fileName()});
    const bool held = waitUntil([&] { return holds > 0; }, 60000);
    killChromiumOf(dataHome.path());
    killed = true;
    const bool ended = held && run.waitForFinished(120000);
    const QString errors = QString::fromLocal8Bit(run.readAllStandardError());
    if (!ended)
        run.kill();
    killChromiumOf(dataHome.path());
    ASSERT_TRUE(held) << errors.toStdString();
    ASSERT_TRUE(ended) << errors.toStdString();

    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.exitCode(), 0) << errors.toStdString();
    QStringList requested;
    for (const auto &request : server.pageRequests())
        requested << QString::fromStdString(request.target());
    EXPECT_EQ(requested, (QStringList{"/start", "/hold", "/start", "/hold", "/end"})) << errors.toStdString();
}

} // namespace
