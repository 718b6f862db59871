#include "QtPrinters.h"
#include "QtWait.h"
#include "browser/chromium/DevToolsTransport.h"
#include "browser/chromium/LaunchedChromium.h"

#include <gtest/gtest.h>

#include <QList>

// A stand-in for Chromium on descriptors 3 and 4: it answers two commands, each with its own text
// and one more message in the same write, and ends.
TEST(PipeTransport, CarriesNulEndedMessagesBothWaysAndTellsWhenTheBrowserEnds)
{
    const QString echoTwice = QStringLiteral(
        R"(for round in 1 2; do IFS= read -r -d '' command <&3; printf '%s\0after %s\0' "$command" "$round" >&4; done)");
    LaunchedChromium child(QStringLiteral("/bin/bash"), {QStringLiteral("-c"), echoTwice}, ProfileLock());
    const auto transport = child.takeTransport();
    ASSERT_TRUE(transport && transport->isOpen());
    QList<QByteArray> received;
    bool closed = false;
    QObject::connect(transport.get(), &DevToolsTransport::messageReceived, [&](const QByteArray &message) { received << message; });
    QObject::connect(transport.get(), &DevToolsTransport::closed, [&] { closed = true; });

    const QByteArray large(100000, 'x'); // more than a pipe holds: written as the reader makes room
    transport->send(R"({"id":1})");
    transport->send(large);

    EXPECT_TRUE(waitUntil([&] { return closed; }));
    EXPECT_EQ(received, (QList<QByteArray>{R"({"id":1})", "after 1", large, "after 2"}));
    EXPECT_FALSE(transport->isOpen());
    transport->send("ignored once the browser is gone");
}
