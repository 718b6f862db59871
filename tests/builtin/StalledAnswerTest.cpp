#include "QtPrinters.h"
#include "BuiltinTesting.h"
#include "QtWait.h"
#include "TestServer.h"

#include "browser/builtin/BuiltinBrowser.h"
#include "browser/builtin/BuiltinWindow.h"
#include "page/Document.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace std::chrono_literals;

LoadLimits quickTimeout()
{
    LoadLimits limits;
    limits.transferTimeout = 500ms;
    return limits;
}

QString bodyText(BrowserWindow &window)
{
    const auto document = window.document();
    if (!document || document->kind() != DocumentKind::Html || !document->body())
        return QStringLiteral("<no document>");
    return document->body()->innerText();
}

// An answer that stops coming after its headers, or after part of its body, is given up on at
// the transfer timeout: the window completes with what arrived, or with an error page that says
// so when nothing did, and takes the next navigation as usual.
TEST(StalledAnswer, EndsAtTheTransferTimeoutAndTheWindowGoesOn)
{
    const QByteArray headers = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 1000\r\n\r\n";
    const QString timedOut = QStringLiteral("Connection timed out\n\n127.0.0.1 did not answer within 0.5 seconds.");
    const struct {
        QByteArray answer;
        QStringList shown; // the network stack may or may not hand over a part before the timeout
    } cases[] = {
        {headers, {timedOut}},
        {headers + "<p>before the stall", {QStringLiteral("before the stall"), timedOut}},
    };
    TestServer next;
    next.page("/next", "<p>next page</p>");
    BuiltinBrowser browser(quickTimeout());
    const auto window = browser.openWindow();
    RecordingSink sink;
    window->setEventSink(&sink);

    for (const auto &c : cases) {
        SCOPED_TRACE(c.answer.toStdString());
        RawServer stalling(c.answer, RawServer::Close::Never);
        const int completions = sink.completions();
        window->navigate(stalling.url());
        ASSERT_TRUE(waitUntil([&] { return sink.completions() > completions; }, 30000));
        const QString shown = bodyText(*window);
        EXPECT_TRUE(std::any_of(c.shown.begin(), c.shown.end(), [&](const QString &text) { return shown.startsWith(text); }))
            << shown.toStdString();
        EXPECT_FALSE(window->isBusy());

        window->navigate(next.url("/next"));
        ASSERT_TRUE(waitUntil([&] { return sink.completions() > completions + 1; }, 30000));
        EXPECT_EQ(bodyText(*window), "next page");
    }
}

} // namespace
