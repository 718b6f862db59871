// What a hostile or runaway input and a hostile neighbour can do to navrelay-run: a script of
// too many lines or too long a line is refused, standard input that never ends is read no
// longer than the run's time, a link planted where a run writes is never followed, and a stop
// signal ends a run with its files complete.
#include "ProcessProbe.h"
#include "QtPrinters.h"
#include "QtWait.h"
#include "RunProcess.h"
#include "TestServer.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

const QString kChromium = QStringLiteral("/usr/bin/chromium");

QByteArray linesOf(int count, const QByteArray &line)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += line + "\r\n";
    return text;
}

mode_t modeOf(const QString &path)
{
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

TEST(RunBounds, ScriptsPastTheirBoundsAreRefusedAndCheckSaysWhere)
{
    QTemporaryDir folder;
    const QString longest = writeTextFile(folder.filePath(QStringLiteral("longest.nrs")), linesOf(32767, "rem;x"));
    const QString tooLong = writeTextFile(folder.filePath(QStringLiteral("too-long.nrs")), linesOf(32768, "rem;x"));
    const QString wideLine = writeTextFile(folder.filePath(QStringLiteral("wide.nrs")),
                                           "rem;x\r\nrem;" + QByteArray(1024 * 1024, 'x') + "\r\nrem;y\r\n");

    const RunResult runsLongest = runNavRelay({QStringLiteral("--tick=0"), longest});
    EXPECT_EQ(runsLongest.exitCode, 0) << runsLongest.errors.toStdString();
    const RunResult refused = runNavRelay({tooLong});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.errors.contains(QStringLiteral("the script has more than 32,767 lines"))) << refused.errors.toStdString();
    const RunResult refusedLine = runNavRelay({wideLine});
    EXPECT_EQ(refusedLine.exitCode, 1);
    EXPECT_TRUE(refusedLine.errors.contains(QStringLiteral("line 2 is longer than 1 MB"))) << refusedLine.errors.toStdString();

    const RunResult checked = runNavRelay({QStringLiteral("--check"), longest, tooLong, wideLine});
    EXPECT_EQ(checked.exitCode, 1);
    EXPECT_EQ(checked.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts),
              (QStringList{tooLong + QStringLiteral(":32768: the script has more than 32,767 lines: navrelay-run refuses the script"),
                           wideLine + QStringLiteral(":2: line 2 is longer than 1 MB: navrelay-run refuses the script")}));
}

TEST(RunBounds, StandardInputIsReadUnderTheDeadlineAndWithinTheBounds)
{
    QTemporaryDir folder;
    const QString fifo = folder.filePath(QStringLiteral("script.fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // A writer that keeps the pipe open and sends nothing.
    QProcess writer;
    writer.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exec 3>\"$1\"; sleep 30"), QStringLiteral("_"), fifo});
    ASSERT_TRUE(writer.waitForStarted());
    RunSetting fromFifo;
    fromFifo.standardInput = fifo;
    fromFifo.timeoutMs = 20000;
    const RunResult silent = runNavRelay({QStringLiteral("--timeout"), QStringLiteral("3"), QStringLiteral("-")}, fromFifo);
    writer.kill();
    writer.waitForFinished();
    EXPECT_EQ(silent.exitCode, 3) << silent.errors.toStdString();
    EXPECT_TRUE(silent.errors.contains(QStringLiteral("the script <stdin> was still being read at --timeout"))) << silent.errors.toStdString();
    EXPECT_LT(silent.elapsedMs, 6000);
    const RunResult silentFile = runNavRelay({QStringLiteral("--timeout"), QStringLiteral("2"), fifo}, {});
    EXPECT_EQ(silentFile.exitCode, 3) << "a named pipe with no writer: " << silentFile.errors.toStdString();

    // An endless stream of comment lines is refused at its 32,768th line, in little memory.
    QProcess endless;
    QProcess run;
    endless.setStandardOutputProcess(&run);
    endless.start(QStringLiteral("/usr/bin/yes"), {QStringLiteral("rem;x")});
    run.start(QStringLiteral(NAVRELAY_RUN_PATH), {QStringLiteral("--timeout"), QStringLiteral("5"), QStringLiteral("-")});
    ASSERT_TRUE(run.waitForFinished(20000));
    endless.kill();
    endless.waitForFinished();
    EXPECT_EQ(run.exitCode(), 1);
    EXPECT_TRUE(run.readAllStandardError().contains("more than 32,767 lines"));
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    EXPECT_LT(usage.ru_maxrss, 200 * 1024) << "kilobytes at the peak of the largest run";
}

TEST(RunBounds, FilesARunWritesAreItsOwnAndNeverFollowAPlantedLink)
{
    TestServer server;
    server.page("/a", "<html><body>a</body></html>");
    QTemporaryDir folder;
    const QString script = writeTextFile(folder.filePath(QStringLiteral("s.nrs")), "nav;" + server.url("/a").toUtf8() + "\r\nclink;No link\r\n");
    const QString victim = writeTextFile(folder.filePath(QStringLiteral("victim.txt")), "keep me\n");
    for (const QString &option : {QStringLiteral("--report"), QStringLiteral("--junit")}) {
        const QString planted = folder.filePath(QStringLiteral("planted") + option);
        ASSERT_TRUE(QFile::link(victim, planted));
        const RunResult result = runNavRelay({option, planted, script});
        EXPECT_EQ(result.exitCode, 1) << option.toStdString();
        EXPECT_TRUE(result.errors.contains(QStringLiteral("it is a symbolic link"))) << result.errors.toStdString();
    }
    QFile kept(victim);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "keep me\n");
    EXPECT_TRUE(server.pageRequests().empty()) << "the run never started";

    const QString report = folder.filePath(QStringLiteral("report.jsonl"));
    const QString junit = folder.filePath(QStringLiteral("junit.xml"));
    const QString evidence = folder.filePath(QStringLiteral("new/evidence"));
    const RunResult written = runNavRelay({QStringLiteral("--strict"), QStringLiteral("--report"), report, QStringLiteral("--junit"), junit,
                                           QStringLiteral("--evidence"), evidence, script});
    EXPECT_EQ(written.exitCode, 2) << written.errors.toStdString();
    EXPECT_EQ(modeOf(report), 0600u);
    EXPECT_EQ(modeOf(junit), 0600u);
    EXPECT_EQ(modeOf(folder.filePath(QStringLiteral("new"))), 0700u);
    EXPECT_EQ(modeOf(evidence), 0700u);
    const QStringList files = QDir(evidence).entryList(QDir::Files);
    EXPECT_GE(files.size(), 3) << files.join(' ').toStdString();
    for (const QString &file : files)
        EXPECT_EQ(modeOf(QDir(evidence).filePath(file)), 0600u) << file.toStdString();
}

QJsonObject lastRecord(const QString &report)
{
    QFile file(report);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
    return QJsonDocument::fromJson(lines.last()).object();
}

class StopSignal : public ::testing::TestWithParam<int> {};

// A run sleeping on Chromium of its own (--isolated) is told to stop: its report and JUnit file
// are complete, its browser and temporary profile gone, and it exits 3.
TEST_P(StopSignal, EndsTheRunWithItsFilesCompleteAndItsProfileRemoved)
{
    if (!QFile::exists(kChromium))
        GTEST_SKIP() << "Chromium is not installed";
    QTemporaryDir folder;
    QTemporaryDir temporaryRoot;
    const QString script = writeTextFile(folder.filePath(QStringLiteral("s.nrs")), "nav;about:blank\r\nsleep;60000\r\nbeep\r\n");
    const QString report = folder.filePath(QStringLiteral("report.jsonl"));
    const QString junit = folder.filePath(QStringLiteral("junit.xml"));
    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), temporaryRoot.path());
    run.setProcessEnvironment(environment);
    run.start(QStringLiteral(NAVRELAY_RUN_PATH), {QStringLiteral("--browser"), QStringLiteral("chromium"), QStringLiteral("--isolated"),
                                                  QStringLiteral("--report"), report, QStringLiteral("--junit"), junit, script});
    // The first line's record is written once the sleep has begun.
    ASSERT_TRUE(waitUntil([&] { return lastRecord(report).value(QStringLiteral("type")) == QLatin1String("line"); }, 60000))
        << run.readAllStandardError().toStdString();
    ::kill(pid_t(run.processId()), GetParam());
    ASSERT_TRUE(run.waitForFinished(30000));
    const QString errors = QString::fromLocal8Bit(run.readAllStandardError());
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.exitCode(), 3) << errors.toStdString();
    EXPECT_TRUE(errors.contains(QStringLiteral("the run was stopped by SIG"))) << errors.toStdString();
    const QJsonObject summary = lastRecord(report);
    EXPECT_EQ(summary.value(QStringLiteral("type")).toString(), QStringLiteral("summary"));
    EXPECT_EQ(summary.value(QStringLiteral("exit_status")).toInt(), 3);
    QFile junitFile(junit);
    ASSERT_TRUE(junitFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(junitFile.readAll().contains("type=\"unfinished\""));
    EXPECT_TRUE(waitUntil([&] { return processesNaming(temporaryRoot.path()).empty(); }));
    EXPECT_TRUE(QDir(temporaryRoot.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        << "the temporary profile is removed";
}

INSTANTIATE_TEST_SUITE_P(Signals, StopSignal, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto &info) { return std::string(sigabbrev_np(info.param)); });

} // namespace
