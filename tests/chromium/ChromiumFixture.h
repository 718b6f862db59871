#pragma once

#include "ChromiumProcess.h"
#include "QtPrinters.h"
#include "QtWait.h"
#include "TestServer.h"
#include "engine/BrowserWindow.h"
#include "browser/chromium/ChromiumBrowser.h"
#include "engine/ScriptError.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// Records a window's events as "navigationStarted URL" and "documentCompleted URL".
class RecordingSink : public BrowserEvents {
public:
    void navigationStarted(const QString &url) override { events << QStringLiteral("navigationStarted ") + url; }
    void documentCompleted(const QString &url) override { events << QStringLiteral("documentCompleted ") + url; }
    std::shared_ptr<BrowserWindow> newWindowRequested() override
    {
        ++newWindowRequests;
        return newWindow ? newWindow() : nullptr;
    }

    QStringList events;
    int newWindowRequests = 0;
    std::function<std::shared_ptr<BrowserWindow>()> newWindow;
};

// The backend, with a real headless Chromium it started in a throwaway profile, and a loopback
// server for its pages.
class ChromiumFixture : public ::testing::Test {
protected:
    static constexpr int kPageTimeoutMs = 20000;

    void SetUp() override;
    void TearDown() override;

    // The first window the endpoint lists, with the sink connected.
    [[nodiscard]] std::shared_ptr<BrowserWindow> firstWindow();
    // Navigates and waits until the top-level document at that address is complete.
    void load(BrowserWindow &window, const QString &url);
    [[nodiscard]] bool waitForEvent(const QString &event, int timeoutMs = kPageTimeoutMs);
    // The page requests the server has seen for a path.
    [[nodiscard]] int requestsFor(const std::string &method, const std::string &path) const;
    // Kills Chromium and every process it started, at once; the backend learns of it only when
    // it next looks.
    void killChromium();

    QTemporaryDir m_profile;
    std::unique_ptr<TestServer> m_server;
    std::unique_ptr<ChromiumBrowser> m_browser;
    RecordingSink m_sink;
};

// Runs the statement and gives the ScriptError number it throws, 0 when it throws none.
template<typename Statement>
int errorNumberOf(Statement &&statement)
{
    try {
        statement();
    } catch (const ScriptError &error) {
        return error.number();
    }
    return 0;
}
