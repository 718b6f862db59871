#include "ChromiumFixture.h"
#include "ProcessProbe.h"
#include "browser/chromium/ChromiumErrors.h"
#include "browser/chromium/ChromiumLauncher.h"

#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QTcpServer>

#include <sys/stat.h>

namespace {

// A loopback port nothing listens on.
int unusedPort()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost))
        return 0;
    return server.serverPort();
}

int errorNumberOfLaunch(const QString &program)
{
    const QTemporaryDir profile;
    return errorNumberOf([&] { (void)launchChromium(program, profile.path()); });
}

mode_t accessBits(const QString &path)
{
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 0777 : 0;
}

} // namespace

TEST(DevToolsAddress, ParsesHostAndPort)
{
    const struct {
        const char *text;
        std::optional<DevToolsAddress> expected;
    } cases[] = {
        {"", DevToolsAddress{}},
        {"127.0.0.1:9333", DevToolsAddress{QStringLiteral("127.0.0.1"), 9333, {}}},
        {"localhost", DevToolsAddress{QStringLiteral("localhost"), 9222, {}}},
        {":9444", DevToolsAddress{QStringLiteral("127.0.0.1"), 9444, {}}},
        {"[::1]:9555", DevToolsAddress{QStringLiteral("::1"), 9555, {}}},
        {"[::1]", DevToolsAddress{QStringLiteral("::1"), 9222, {}}},
        {"host:0", std::nullopt},
        {"host:65536", std::nullopt},
        {"host:port", std::nullopt},
        {"[::1]x", std::nullopt},
        {"ws://127.0.0.1:9666/devtools/browser/b1",
         DevToolsAddress{QStringLiteral("127.0.0.1"), 9666, QUrl(QStringLiteral("ws://127.0.0.1:9666/devtools/browser/b1"))}},
        {"ws:///devtools/browser/b1", std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DevToolsAddress::parse(QString::fromLatin1(c.text)), c.expected);
    }
}

TEST(ChromiumErrors, GoneThingsAreUnavailableAndTheRestIsTheBrowsersOwnFailure)
{
    const struct {
        const char *message;
        int expected;
    } cases[] = {
        {"Cannot find context with specified id", RemoteUnavailable},
        {"Could not find object with given id", RemoteUnavailable},
        {"Session with given id not found.", RemoteUnavailable},
        {"No target with given id found", RemoteUnavailable},
        {"Inspected target navigated or closed", RemoteUnavailable},
        {"Invalid parameters", kUnspecifiedError},
        {"", kUnspecifiedError},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message);
        try {
            throwProtocolError(QString::fromLatin1(c.message));
        } catch (const ScriptError &error) {
            EXPECT_EQ(error.number(), c.expected);
            EXPECT_FALSE(error.description().isEmpty());
        }
    }
}

TEST(ChromiumLauncher, CommandLineFollowsTheEnvironment)
{
    const QStringList common{
        QStringLiteral("--remote-debugging-pipe"), QStringLiteral("--user-data-dir=/p"),
        QStringLiteral("--no-first-run"), QStringLiteral("--no-default-browser-check"),
        QStringLiteral("--disable-background-networking"), QStringLiteral("--disable-component-update"),
        QStringLiteral("--disable-sync"), QStringLiteral("--disable-quic")};
    const struct {
        LaunchEnvironment environment;
        QStringList extra;
    } cases[] = {
        {{true, false, {}}, {}},
        {{true, true, {}}, {QStringLiteral("--no-sandbox")}},
        {{false, false, {}}, {QStringLiteral("--headless=new")}},
        {{false, true, {}}, {QStringLiteral("--no-sandbox"), QStringLiteral("--headless=new")}},
        {{true, false, QStringLiteral("socks5://p.test:1080")},
         {QStringLiteral("--proxy-server=socks5://p.test:1080"), QStringLiteral("--proxy-bypass-list=<-loopback>")}},
        {{true, false, {}, true}, {QStringLiteral("--ignore-certificate-errors")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.extra.join(QLatin1Char(' ')).toStdString());
        EXPECT_EQ(chromiumArguments(QStringLiteral("/p"), c.environment),
                  common + c.extra + QStringList{QStringLiteral("about:blank")});
    }
}

TEST(ChromiumLauncher, MissingProgramIsFileNotFound)
{
    const QTemporaryDir empty;
    EXPECT_TRUE(findChromiumProgram({}, {empty.path()}).isEmpty());
    EXPECT_TRUE(findChromiumProgram(empty.filePath(QStringLiteral("chromium"))).isEmpty());
    EXPECT_EQ(errorNumberOfLaunch(empty.filePath(QStringLiteral("chromium"))), 53);

    QFile script(empty.filePath(QStringLiteral("chromium")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\n");
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    EXPECT_EQ(findChromiumProgram({}, {empty.path()}), empty.filePath(QStringLiteral("chromium")));
    EXPECT_FALSE(defaultChromiumProfileFolder().isEmpty());
}

TEST(ChromiumLauncher, ProfileLockNamesTheChromiumOfThisMachine)
{
    const QTemporaryDir profile;
    const QString lock = QDir(profile.path()).filePath(QStringLiteral("SingletonLock"));
    EXPECT_FALSE(chromiumOfProfile(profile.path()));
    ASSERT_TRUE(QFile::link(QSysInfo::machineHostName() + QStringLiteral("-4242"), lock));
    EXPECT_EQ(chromiumOfProfile(profile.path()), 4242);
    QFile::remove(lock);
    ASSERT_TRUE(QFile::link(QStringLiteral("elsewhere-4242"), lock));
    EXPECT_FALSE(chromiumOfProfile(profile.path()));
}

TEST(ChromiumBrowser, SilentNamedEndpointHasNoWindowsAndStartsNoChromium)
{
    const QTemporaryDir profile;
    ChromiumSettings settings;
    settings.address = DevToolsAddress{QStringLiteral("127.0.0.1"), unusedPort(), {}};
    settings.profileFolder = profile.path();
    ChromiumBrowser browser(settings);
    EXPECT_FALSE(browser.endpointAnswers());
    EXPECT_TRUE(browser.windows().empty());
    EXPECT_THROW((void)browser.createWindow(), ScriptError);
    browser.startProgram();
    EXPECT_TRUE(processesNaming(profile.path()).empty());
    browser.activateWindow(QStringLiteral("Chromium"));
    EXPECT_EQ(browser.browserName(), QStringLiteral("Chromium"));
    EXPECT_EQ(browser.programName(), QStringLiteral("Chromium"));
}

TEST(ChromiumBrowser, StartedChromiumOpensNoPortKeepsItsProfilePrivateAndEndsWithTheBackend)
{
    if (!ChromiumProcess::installed())
        GTEST_SKIP() << ChromiumProcess::kProgram << " is not installed";
    const QTemporaryDir home;
    ChromiumSettings settings;
    settings.program = QString::fromLatin1(ChromiumProcess::kProgram);
    settings.profileFolder = home.filePath(QStringLiteral("profile"));
    ASSERT_TRUE(QDir().mkdir(settings.profileFolder));
    ASSERT_TRUE(::chmod(QFile::encodeName(settings.profileFolder).constData(), 0755) == 0);
    // Whatever answers on the usual port is no business of a NavRelay that was not sent there.
    QTcpServer endpointOfSomeoneElse;
    const bool someoneElseListens = endpointOfSomeoneElse.listen(QHostAddress::LocalHost, DevToolsAddress::kDefaultPort);
    {
        ChromiumBrowser browser(settings);
        browser.startProgram();
        ASSERT_TRUE(waitUntil([&] { return !browser.windows().empty(); }, ChromiumProcess::kStartTimeoutMs));
        const auto processes = processesNaming(settings.profileFolder);
        EXPECT_FALSE(processes.empty());
        EXPECT_TRUE(listeningPortsOf(processes).empty());
        EXPECT_EQ(accessBits(settings.profileFolder), 0700u);

        // A second NavRelay meanwhile: the profile is taken, so its Chromium gets one of its own.
        ChromiumBrowser second(settings);
        second.startProgram();
        EXPECT_TRUE(waitUntil([&] { return !second.windows().empty(); }, ChromiumProcess::kStartTimeoutMs));
    }
    EXPECT_TRUE(waitUntil([&] { return processesNaming(settings.profileFolder).empty(); }));
    if (someoneElseListens) {
        EXPECT_FALSE(endpointOfSomeoneElse.waitForNewConnection(0));
    }
}

TEST(ChromiumBrowser, AttachesToABrowserNamedByItsPortOrWebSocket)
{
    if (!ChromiumProcess::installed())
        GTEST_SKIP() << ChromiumProcess::kProgram << " is not installed";
    TestServer server; // after Chromium has gone: its open connections would hold the server's stop
    const ChromiumProcess chromium;
    ASSERT_GT(chromium.port(), 0) << "Chromium did not start";
    EXPECT_EQ(listeningPortsOf(processesNaming(chromium.profile())), std::vector<int>{chromium.port()});
    server.page("/named", "<html><body>named</body></html>");
    const QString hostAndPort = QStringLiteral("127.0.0.1:%1").arg(chromium.port());
    for (const QString &named : {hostAndPort, QStringLiteral("ws://") + hostAndPort + chromium.socketPath()}) {
        SCOPED_TRACE(named.toStdString());
        ChromiumSettings settings;
        settings.address = DevToolsAddress::parse(named);
        ChromiumBrowser browser(settings);
        const auto windows = browser.windows();
        ASSERT_FALSE(windows.empty());
        RecordingSink sink;
        windows.front()->setEventSink(&sink);
        windows.front()->navigate(server.url("/named"));
        EXPECT_TRUE(waitUntil([&] { return sink.events.contains(QStringLiteral("documentCompleted ") + server.url("/named")); }));
        windows.front()->setEventSink(nullptr);
    }
}
