// Both programs' command lines as a CI job uses them: help, version, --opt=value, and
// navrelay-run --check.
#include "QtPrinters.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Result {
    int exitCode = -1;
    QString out;
    QString errors;
};

enum class Display { Offscreen, None };

Result run(const QString &program, const QStringList &arguments, Display display = Display::Offscreen)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (display == Display::Offscreen) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    } else {
        for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(QLatin1String(name));
    }
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

QString writeScript(const QTemporaryDir &folder, const QString &name, const QByteArray &text)
{
    QFile file(folder.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    return file.fileName();
}

TEST(CommandLine, HelpAndVersionAnswerWithoutRunningAnything)
{
    const QString runner = QStringLiteral(NAVRELAY_RUN_PATH);
    for (const QString &help : {QStringLiteral("--help"), QStringLiteral("-h")}) {
        const Result result = run(runner, {help});
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_TRUE(result.out.contains(QStringLiteral("--strict")) && result.out.contains(QStringLiteral("Exit status")))
            << result.out.toStdString();
    }
    const Result version = run(runner, {QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith(QStringLiteral("navrelay-run 2.5.0.7 (revision "))) << version.out.toStdString();

    // The window program answers these without a display.
    const Result appVersion = run(QStringLiteral(NAVRELAY_APP_PATH), {QStringLiteral("--version")}, Display::None);
    EXPECT_EQ(appVersion.exitCode, 0) << appVersion.errors.toStdString();
    EXPECT_TRUE(appVersion.out.startsWith(QStringLiteral("navrelay 2.5.0.7 (revision "))) << appVersion.out.toStdString();
    const Result appHelp = run(QStringLiteral(NAVRELAY_APP_PATH), {QStringLiteral("--help")}, Display::None);
    EXPECT_EQ(appHelp.exitCode, 0) << appHelp.errors.toStdString();
    EXPECT_TRUE(appHelp.out.contains(QStringLiteral("SCRIPT"))) << appHelp.out.toStdString();

    const Result wrong = run(runner, {QStringLiteral("--tick=soon"), QStringLiteral("x.nrs")});
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_TRUE(wrong.errors.contains(QStringLiteral("--tick takes milliseconds from 0: soon"))) << wrong.errors.toStdString();
}

// Started with a name the library lacks, the window program says so and ends (its message closes
// by itself after ten seconds when nobody is there to answer it).
TEST(CommandLine, TheWindowProgramNamingNoLibraryScriptSaysSoAndExitsWithOne)
{
    QTemporaryDir folder;
    const QString program = folder.filePath(QStringLiteral("navrelay"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(NAVRELAY_APP_PATH), program));
    QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
    // The window's place is stored under the folder, not in the home of whoever runs the tests.
    const bool hadConfigHome = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", folder.filePath(QStringLiteral("config")).toLocal8Bit());
    const Result result = run(program, {QStringLiteral("Nightly"), QStringLiteral("Report")});
    if (hadConfigHome)
        qputenv("XDG_CONFIG_HOME", configHome);
    else
        qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.errors.contains(QStringLiteral("navrelay: There is no script named \"Nightly Report\" in the library (")
                                       + folder.filePath(QStringLiteral("Scripts")) + QStringLiteral(")."))) << result.errors.toStdString();
}

TEST(CommandLine, CheckPrintsFileAndLineOfEachFindingAndFailsOnlyWithFindings)
{
    QTemporaryDir folder;
    const QString clean = writeScript(folder, QStringLiteral("clean.nrs"), "nav;$$$/a.html\r\nclink;Next\r\n");
    const QString faulty = writeScript(folder, QStringLiteral("faulty.nrs"), "clnk;Next\nnav;$$$\n\ngoto;9\n");

    const Result passed = run(QStringLiteral(NAVRELAY_RUN_PATH), {QStringLiteral("--check"), QStringLiteral("--var=x"),
                                                                  QStringLiteral("--tick=0"), clean});
    EXPECT_EQ(passed.exitCode, 0) << passed.out.toStdString();
    EXPECT_TRUE(passed.out.isEmpty());

    const Result failed = run(QStringLiteral(NAVRELAY_RUN_PATH), {QStringLiteral("--check"), clean, faulty});
    EXPECT_EQ(failed.exitCode, 1);
    const QStringList lines = failed.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5) << failed.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith(clean + QStringLiteral(":1: \"$$$\" has no text")));
    EXPECT_TRUE(lines[1].startsWith(faulty + QStringLiteral(":1: unknown command \"clnk\"")));
    EXPECT_TRUE(lines[2].startsWith(faulty + QStringLiteral(":2: \"$$$\" has no text")));
    EXPECT_TRUE(lines[3].startsWith(faulty + QStringLiteral(":3: empty line")));
    EXPECT_TRUE(lines[4].startsWith(faulty + QStringLiteral(":4: \"goto\" to line 9")));
}

// The script the README shows first runs as it says: its check holds on the demo shop.
TEST(CommandLine, TheReadmesFirstScriptRunsOnTheDemoSite)
{
    const QString demo = QStringLiteral(NAVRELAY_FIXTURES "/../../examples/demo");
    const Result result = run(QStringLiteral(NAVRELAY_RUN_PATH), {QStringLiteral("--var"), QStringLiteral("file://") + demo + QStringLiteral("/site"),
                                                                  demo + QStringLiteral("/first.nrs")});
    EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
}

// A runner installed without its window parts module still runs what needs no windows.
TEST(CommandLine, WithoutTheWindowPartsOnlyShowFailsAndEvidenceGoesWithoutAPicture)
{
    QTemporaryDir folder;
    const QString runner = folder.filePath(QStringLiteral("navrelay-run"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(NAVRELAY_RUN_PATH), runner));
    QFile::setPermissions(runner, QFile::permissions(runner) | QFileDevice::ExeOwner);
    const QString script = writeScript(folder, QStringLiteral("missing.nrs"), "nav;about:blank\r\nclink;No such link\r\n");

    const Result shown = run(runner, {QStringLiteral("--show"), QStringLiteral("--tick=0"), script});
    EXPECT_EQ(shown.exitCode, 1);
    EXPECT_TRUE(shown.errors.contains(QStringLiteral("--show needs the window parts: navrelay-view.so is not installed")))
        << shown.errors.toStdString();

    const Result failed = run(runner, {QStringLiteral("--strict"), QStringLiteral("--tick=0"), QStringLiteral("--evidence"),
                                       folder.filePath(QStringLiteral("evidence")), script});
    EXPECT_EQ(failed.exitCode, 2) << failed.errors.toStdString();
    EXPECT_TRUE(failed.errors.contains(QStringLiteral("the evidence has no picture of the page"))) << failed.errors.toStdString();
    const QDir evidence(folder.filePath(QStringLiteral("evidence")));
    EXPECT_EQ(evidence.entryList({QStringLiteral("missing.*.page.html")}).size(), 1);
    EXPECT_TRUE(evidence.entryList({QStringLiteral("*.png")}).isEmpty());
}

} // namespace
