// navrelay-run --record: it shows Chromium, so it refuses to start without a display; on one
// (Xvfb here), it opens the start address, writes the line that goes there at once, and ends,
// with the file complete, when the browser is gone.
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

TEST(RecordCommand, NeedsADisplayAndEndsWithTheBrowser)
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
    if (!QFile::exists(kChromium) || QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty())
        GTEST_SKIP() << "Chromium or xvfb-run is not installed";

    TestServer server;
    server.page("/start", "<html><body>start</body></html>");
    QTemporaryDir dataHome;
    QProcess record;
    QProcessEnvironment environment = environmentWithout({QStringLiteral("WAYLAND_DISPLAY")});
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome.path());
    record.setProcessEnvironment(environment);
    record.start(QStringLiteral("xvfb-run"), {QStringLiteral("-a"), QStringLiteral(NAVRELAY_RUN_PATH), QStringLiteral("--record"),
                                              scriptPath, server.url("/start")});
    ASSERT_TRUE(waitUntil([&] { return !server.pageRequests().empty(); }, 60000)) << record.readAllStandardError().toStdString();
    EXPECT_EQ(fileBytes(scriptPath), (QStringLiteral("nav;") + server.url("/start") + QStringLiteral("\r\n")).toLocal8Bit());
    EXPECT_EQ(record.state(), QProcess::Running);

    killProcessesNaming(dataHome.path());
    ASSERT_TRUE(record.waitForFinished(30000));
    EXPECT_EQ(record.exitCode(), 0) << record.readAllStandardError().toStdString();
    EXPECT_EQ(fileBytes(scriptPath), (QStringLiteral("nav;") + server.url("/start") + QStringLiteral("\r\n")).toLocal8Bit());
}

} // namespace
