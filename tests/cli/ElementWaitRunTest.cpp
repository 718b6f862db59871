// A line whose element never comes, on Chromium through navrelay-run: it waits its element wait,
// no longer, and says so; --strict then halts naming the element and the time waited, and
// --timeout ends a run that is still waiting.
#include "QtPrinters.h"
#include "RunProcess.h"
#include "TestServer.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kChromium = QStringLiteral("/usr/bin/chromium");

// The line records of a --report file, by line number.
std::map<int, QJsonObject> lineRecords(const QString &path)
{
    QFile file(path);
    std::map<int, QJsonObject> records;
    if (!file.open(QIODevice::ReadOnly))
        return records;
    for (const QByteArray &text : file.readAll().split('\n')) {
        const QJsonObject record = QJsonDocument::fromJson(text).object();
        if (record.value(QStringLiteral("type")).toString() == QLatin1String("line"))
            records[record.value(QStringLiteral("line")).toInt()] = record;
    }
    return records;
}

class ElementWaitRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFile::exists(kChromium))
            GTEST_SKIP() << "Chromium is not installed";
        server.page("/empty.html", "<html><body><p>nothing comes</p></body></html>");
        setting.environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome.path());
    }

    RunResult run(const QByteArray &script, QStringList arguments)
    {
        const QString path = writeTextFile(files.filePath(QStringLiteral("script.nrs")), script);
        arguments << QStringLiteral("--browser") << QStringLiteral("chromium") << QStringLiteral("--report")
                  << files.filePath(QStringLiteral("report.jsonl")) << path;
        return runNavRelay(arguments, setting);
    }

    TestServer server;
    QTemporaryDir dataHome;
    QTemporaryDir files;
    RunSetting setting;
};

TEST_F(ElementWaitRun, StrictRunHaltsOnceTheWaitIsOverNamingTheElementAndTheTime)
{
    const QByteArray script = "nav;" + server.url("/empty.html").toUtf8() + "\r\nclink;Late offers\r\n";
    const RunResult result = run(script, {QStringLiteral("--strict"), QStringLiteral("--element-wait"), QStringLiteral("3")});
    EXPECT_EQ(result.exitCode, 2) << result.errors.toStdString();
    EXPECT_TRUE(result.errors.contains(QStringLiteral("line 2 \"clink;Late offers\": waiting up to 3 s for the link \"Late offers\"")))
        << result.errors.toStdString();
    EXPECT_TRUE(result.errors.contains(QStringLiteral("no link with the text \"Late offers\" (waited 3.0 s)")))
        << result.errors.toStdString();
    const auto records = lineRecords(files.filePath(QStringLiteral("report.jsonl")));
    ASSERT_EQ(records.count(2), 1u);
    const qint64 waited = records.at(2).value(QStringLiteral("element_wait_ms")).toInteger();
    EXPECT_GE(waited, 3000);
    EXPECT_LE(waited, 3300) << "within 10 % of the element wait";
    EXPECT_EQ(records.at(1).value(QStringLiteral("element_wait_ms")).toInteger(-1), 0);
}

TEST_F(ElementWaitRun, TimeoutEndsARunStillWaitingAndSaysForWhat)
{
    const QByteArray script = "nav;" + server.url("/empty.html").toUtf8() + "\r\nclickbutton;Search\r\n";
    const RunResult result = run(script, {QStringLiteral("--timeout"), QStringLiteral("3")});
    EXPECT_EQ(result.exitCode, 3) << result.errors.toStdString();
    EXPECT_TRUE(result.errors.contains(QStringLiteral("waiting for the button \"Search\" for"))) << result.errors.toStdString();
    const auto records = lineRecords(files.filePath(QStringLiteral("report.jsonl")));
    ASSERT_EQ(records.count(2), 1u);
    EXPECT_EQ(records.at(2).value(QStringLiteral("outcome")).toString(), QStringLiteral("unfinished"));
    EXPECT_GT(records.at(2).value(QStringLiteral("element_wait_ms")).toInteger(), 1000);
}

} // namespace
