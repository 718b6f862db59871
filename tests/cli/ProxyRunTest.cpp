// navrelay-run --proxy on either engine: the pages of a run go through a forward proxy.
#include "ForwardProxy.h"
#include "QtPrinters.h"
#include "TestServer.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>

#include <gtest/gtest.h>

namespace {

class ProxyRun : public ::testing::TestWithParam<bool> {};

TEST_P(ProxyRun, PagesOfARunGoThroughTheProxy)
{
    const bool chromium = GetParam();
    if (chromium && !QFile::exists(QStringLiteral("/usr/bin/chromium")))
        GTEST_SKIP() << "Chromium is not installed";
    TestServer server;
    server.page("/page", "<html><body><p>through the proxy</p></body></html>");
    server.page("/after", "<html><body>after</body></html>");
    ForwardProxy proxy;
    QTemporaryDir folder;
    QFile script(folder.filePath(QStringLiteral("proxy.nrs")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("nav;$$$/page\r\nif;through the proxy;nav;$$$/after\r\n");
    script.close();

    QProcess run;
    QStringList arguments{"--tick", "0", "--timeout", "60", "--var", server.url(""), "--proxy", proxy.url()};
    if (chromium)
        arguments << "--browser" << "chromium" << "--isolated";
    run.start(QStringLiteral(NAVRELAY_RUN_PATH), arguments << script.fileName());
    ASSERT_TRUE(run.waitForFinished(90000));
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();

    const std::vector<std::string> lines = proxy.requestLines();
    const std::string origin = server.url("").toStdString();
    for (const std::string path : {"/page", "/after"}) {
        EXPECT_NE(std::find(lines.begin(), lines.end(), "GET " + origin + path + " HTTP/1.1"), lines.end()) << path;
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, ProxyRun, ::testing::Bool(),
                         [](const auto &info) { return info.param ? std::string("Chromium") : std::string("Builtin"); });

} // namespace
