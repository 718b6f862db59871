#include "ChromiumFixture.h"

#include "ProcessProbe.h"
#include "engine/ScriptError.h"

void ChromiumFixture::SetUp()
{
    if (!ChromiumProcess::installed())
        GTEST_SKIP() << ChromiumProcess::kProgram << " is not installed: the Chromium backend is not tested";
    m_server = std::make_unique<TestServer>();
    ChromiumSettings settings;
    settings.program = QString::fromLatin1(ChromiumProcess::kProgram);
    settings.profileFolder = m_profile.path();
    m_browser = std::make_unique<ChromiumBrowser>(settings);
    m_browser->startProgram();
    ASSERT_TRUE(waitUntil([this] { return !m_browser->windows().empty(); }, ChromiumProcess::kStartTimeoutMs))
        << "Chromium did not start";
}

void ChromiumFixture::TearDown()
{
    m_browser.reset();
}

void ChromiumFixture::killChromium()
{
    killProcessesNaming(m_profile.path());
}

std::shared_ptr<BrowserWindow> ChromiumFixture::firstWindow()
{
    const auto windows = m_browser->windows();
    if (windows.empty())
        return nullptr;
    windows.front()->setEventSink(&m_sink);
    return windows.front();
}

void ChromiumFixture::load(BrowserWindow &window, const QString &url)
{
    window.navigate(url);
    ASSERT_TRUE(waitForEvent(QStringLiteral("documentCompleted ") + url)) << m_sink.events.join(QLatin1Char('\n')).toStdString();
}

bool ChromiumFixture::waitForEvent(const QString &event, int timeoutMs)
{
    return waitUntil([&] { return m_sink.events.contains(event); }, timeoutMs);
}

int ChromiumFixture::requestsFor(const std::string &method, const std::string &path) const
{
    int count = 0;
    for (const auto &request : m_server->pageRequests())
        count += request.method == method && request.path == path ? 1 : 0;
    return count;
}
