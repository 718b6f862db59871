// navrelay-run --record: it shows Chromium, so it refuses to start without a display; on one
// (Xvfb here), it opens the start address, writes the line that goes there at once, and ends,
// with the file complete and the browser closed, when the browser is gone or it is told to stop.
#include "ProcessProbe.h"
#include "QtPrinters.h"
#include "QtWait.h"
#include "TestServer.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kChromium = QStringLiteral("/usr/bin/chromium");

QProcessEnvironment environmentWithout(const QStringList &names)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : names)
        environment.remove(name);
    return environment;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(RecordCommand, NeedsADisplayAndEndsCompleteWhenTheBrowserIsClosedOrItIsStopped)
{
    QTemporaryDir folder;
    const QString scriptPath = folder.filePath(QStringLiteral("recorded.nrs"));
    {
        QProcess record;
        record.setProcessEnvironment(environmentWithout({QStringLiteral("DISPLAY"), QStringLiteral("WAYLAND_DISPLAY")}));
        record.start(QStringLiteral(NAVRELAY_RUN_PATH), {QStringLiteral("--record"), scriptPath});
        ASSERT_TRUE(record.waitForFinished(30000));
        EXPECT_EQ(record.exitCode(), 2);
        EXPECT_TRUE(record.readAllStandardError().contains("needs a display"));
        EXPECT_FALSE(QFileInfo::exists(scriptPath));
    }
    if (!QFile::exists(kChromium) || QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
        GTEST_SKIP() << "Chromium or Xvfb is not installed";
    QProcess xvfb; // tells the display it found free on its standard output
    xvfb.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    ASSERT_TRUE(waitUntil([&] { return xvfb.canReadLine(); }, 20000)) << "Xvfb did not start";
    const QString display = QStringLiteral(":") + QString::fromLatin1(xvfb.readLine().trimmed());

    TestServer server;
    server.page("/start", "<html><body>start</body></html>");
    const QByteArray expected = (QStringLiteral("nav;") + server.url("/start") + QStringLiteral("\r\n")).toLocal8Bit();
    // The browser closed, and the recording stopped from the terminal.
    for (const bool browserClosed : {true, false}) {
        SCOPED_TRACE(browserClosed ? "browser closed" : "stopped from the terminal");
        QTemporaryDir dataHome;
        QProcess record;
        QProcessEnvironment environment = environmentWithout({QStringLiteral("WAYLAND_DISPLAY")});
        environment.insert(QStringLiteral("DISPLAY"), display);
        environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome.path());
        record.setProcessEnvironment(environment);
        server.clearRequests();
        record.start(QStringLiteral(NAVRELAY_RUN_PATH), {QStringLiteral("--record"), scriptPath, server.url("/start")});
        ASSERT_TRUE(waitUntil([&] { return !server.pageRequests().empty(); }, 60000)) << record.readAllStandardError().toStdString();
        EXPECT_EQ(fileBytes(scriptPath), expected);
        EXPECT_EQ(record.state(), QProcess::Running);

        if (browserClosed)
            killProcessesNaming(dataHome.path());
        else
            record.terminate();
        ASSERT_TRUE(record.waitForFinished(30000));
        EXPECT_EQ(record.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(record.exitCode(), 0) << record.readAllStandardError().toStdString();
        EXPECT_EQ(fileBytes(scriptPath), expected);
        EXPECT_TRUE(waitUntil([&] { return processesNaming(dataHome.path()).empty(); })) << "the browser outlived the recording";
    }
    xvfb.terminate();
    xvfb.waitForFinished();
}

} // namespace
