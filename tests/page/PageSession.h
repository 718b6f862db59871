#pragma once

#include "QtPrinters.h"
#include "QtWait.h"
#include "RecordingHost.h"
#include "TestServer.h"

#include "browser/Automation.h"
#include "browser/builtin/BuiltinBrowser.h"
#include "page/CurrentDoc.h"
#include "page/Document.h"

#include <gtest/gtest.h>

// The page actions on the built-in engine, attached as the programs attach it, with pages served
// on 127.0.0.1.
class PageSession : public ::testing::Test {
protected:
    void SetUp() override
    {
        browser.startProgram();
        automation.connection.attachBrowser();
        ASSERT_NE(automation.connection.attachedWindow(), nullptr);
    }
    void TearDown() override { CurrentDoc.reset(); }

    // Navigates the attached window and waits for the page, as a "nav" line does.
    void load(const std::string &path)
    {
        automation.state.waitingForPage = true;
        automation.connection.window().navigate(server.url(path));
        ASSERT_TRUE(waitUntil([this] { return !automation.state.waitingForPage; }));
    }
    // Runs a script to its end, the way the window's timer would.
    void runScript(const QString &script)
    {
        automation.runner.tickTimer().setInterval(0);
        automation.runner.runScript(script);
        ASSERT_TRUE(waitUntil([this] { return automation.runner.status() != RunStatus::Ready
                                                  && automation.runner.status() != RunStatus::WaitingForPage; }));
    }
    [[nodiscard]] QString bodyHtml()
    {
        return asHtmlDocument(automation.connection.window().document()).body()->innerHTML();
    }

    TestServer server;
    RecordingHost host;
    BuiltinBrowser browser;
    Automation automation{host, browser};
};
