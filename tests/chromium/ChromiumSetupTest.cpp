#include "ChromiumProcess.h"
#include "QtWait.h"
#include "browser/chromium/ChromiumBrowser.h"
#include "browser/chromium/ChromiumErrors.h"
#include "browser/chromium/ChromiumLauncher.h"
#include "browser/chromium/DevToolsConnection.h"
#include "engine/ScriptError.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QTcpServer>
#include <QTemporaryDir>

#include <csignal>

namespace {

// A loopback port nothing listens on.
int unusedPort()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost))
        return 0;
    return server.serverPort();
}

// Closes the Chromium the product started for a test, whatever the test's outcome: through its
// own endpoint, else by its process id.
class StartedChromium {
public:
    explicit StartedChromium(const ChromiumSettings &settings) : m_settings(settings) {}
    StartedChromium(const StartedChromium &) = delete;
    StartedChromium &operator=(const StartedChromium &) = delete;

    ~StartedChromium()
    {
        const auto pid = chromiumOfProfile(m_settings.profileFolder);
        DevToolsEndpoint endpoint(m_settings.address);
        DevToolsConnection connection;
        if (const auto socketUrl = endpoint.browserSocketUrl(); socketUrl && connection.open(*socketUrl))
            connection.post(QStringLiteral("Browser.close"));
        const auto gone = [&pid] { return !pid || ::kill(static_cast<pid_t>(*pid), 0) != 0; };
        if (!waitUntil(gone, ChromiumProcess::kStartTimeoutMs)) {
            ADD_FAILURE() << "Chromium did not close";
            killProcessGroupOf(*pid);
        }
    }

private:
    ChromiumSettings m_settings;
};

int errorNumberOfLaunch(const QString &program)
{
    try {
        launchChromium(program, unusedPort(), QDir::tempPath());
    } catch (const ScriptError &error) {
        return error.number();
    }
    return 0;
}

} // namespace

TEST(DevToolsAddress, ParsesHostAndPort)
{
    const struct {
        const char *text;
        std::optional<DevToolsAddress> expected;
    } cases[] = {
        {"", DevToolsAddress{}},
        {"127.0.0.1:9333", DevToolsAddress{QStringLiteral("127.0.0.1"), 9333}},
        {"localhost", DevToolsAddress{QStringLiteral("localhost"), 9222}},
        {":9444", DevToolsAddress{QStringLiteral("127.0.0.1"), 9444}},
        {"[::1]:9555", DevToolsAddress{QStringLiteral("::1"), 9555}},
        {"[::1]", DevToolsAddress{QStringLiteral("::1"), 9222}},
        {"host:0", std::nullopt},
        {"host:65536", std::nullopt},
        {"host:port", std::nullopt},
        {"[::1]x", std::nullopt},
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
        QStringLiteral("--remote-debugging-port=9222"), QStringLiteral("--user-data-dir=/p"),
        QStringLiteral("--no-first-run"), QStringLiteral("--no-default-browser-check"),
        QStringLiteral("--disable-background-networking"), QStringLiteral("--disable-component-update"),
        QStringLiteral("--disable-sync"), QStringLiteral("--disable-quic")};
    const struct {
        LaunchEnvironment environment;
        QStringList extra;
    } cases[] = {
        {{true, false}, {}},
        {{true, true}, {QStringLiteral("--no-sandbox")}},
        {{false, false}, {QStringLiteral("--headless=new")}},
        {{false, true}, {QStringLiteral("--no-sandbox"), QStringLiteral("--headless=new")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.extra.join(QLatin1Char(' ')).toStdString());
        EXPECT_EQ(chromiumArguments(9222, QStringLiteral("/p"), c.environment),
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

TEST(ChromiumBrowser, SilentEndpointHasNoWindows)
{
    ChromiumSettings settings;
    settings.address.port = unusedPort();
    ChromiumBrowser browser(settings);
    EXPECT_FALSE(browser.endpointAnswers());
    EXPECT_FALSE(devToolsEndpointAnswers(settings.address));
    EXPECT_TRUE(browser.windows().empty());
    EXPECT_THROW((void)browser.createWindow(), ScriptError);
    browser.activateWindow(QStringLiteral("Chromium"));
    EXPECT_EQ(browser.browserName(), QStringLiteral("Chromium"));
    EXPECT_EQ(browser.programName(), QStringLiteral("Chromium"));
}

TEST(ChromiumBrowser, StartedProgramOpensTheEndpointAndOutlivesTheBackend)
{
    if (!ChromiumProcess::installed())
        GTEST_SKIP() << ChromiumProcess::kProgram << " is not installed";
    const QTemporaryDir profile;
    ChromiumSettings settings;
    settings.address.port = unusedPort();
    settings.program = QString::fromLatin1(ChromiumProcess::kProgram);
    settings.profileFolder = profile.filePath(QStringLiteral("profile"));
    const StartedChromium started(settings);
    {
        ChromiumBrowser browser(settings);
        browser.startProgram();
        ASSERT_TRUE(waitUntil([&] { return browser.endpointAnswers(); }, ChromiumProcess::kStartTimeoutMs));
        EXPECT_TRUE(waitUntil([&] { return !browser.windows().empty(); }));
    }
    EXPECT_TRUE(devToolsEndpointAnswers(settings.address));
    EXPECT_GT(chromiumOfProfile(settings.profileFolder).value_or(0), 1);
}
