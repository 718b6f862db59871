#include "PageSession.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;

using LostWindow = PageSession;

// A window closed while the run waits for its page would never complete it: the run takes the
// browser as lost, attaches again and starts over at line 1.
TEST_F(LostWindow, AWindowClosedDuringAPageWaitIsAttachedAgainAndTheRunStartsOver)
{
    std::atomic<int> holds = 0;
    std::atomic<bool> released = false;
    server.page("/start", "<p>start</p>");
    server.page("/end", "<p>end</p>");
    server.handle("GET", "/hold", [&](const httplib::Request &, httplib::Response &response) {
        if (holds++ == 0) {
            const auto until = std::chrono::steady_clock::now() + 20s;
            while (!released && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(10ms);
        }
        response.set_content("<p>held</p>", "text/html");
    });
    const auto firstWindow = automation.connection.attachedWindow();

    automation.runner.tickTimer().setInterval(0);
    automation.runner.runScript(QStringLiteral("nav;%1\r\nnav;%2\r\nnav;%3")
                                           .arg(server.url("/start"), server.url("/hold"), server.url("/end")));
    ASSERT_TRUE(waitUntil([&] { return holds > 0; }));
    firstWindow->quit();
    released = true;
    const auto requested = [&] {
        QStringList targets;
        for (const auto &request : server.pageRequests())
            targets << QString::fromStdString(request.target());
        return targets;
    };
    // The last line's page is not waited for: the run has finished once it is asked for.
    const bool finished = waitUntil([&] { return requested().contains("/end"); }, 30000);

    ASSERT_TRUE(finished) << host.statusTexts.join('|').toStdString();
    EXPECT_EQ(automation.runner.status(), RunStatus::Stopped);
    EXPECT_NE(automation.connection.attachedWindow(), firstWindow);
    EXPECT_EQ(requested(), (QStringList{"/start", "/hold", "/start", "/hold", "/end"}));
    EXPECT_TRUE(host.messages.empty());
}

} // namespace
