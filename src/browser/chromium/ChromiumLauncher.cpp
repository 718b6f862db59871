#include "browser/chromium/ChromiumLauncher.h"

#include "browser/chromium/NestedWait.h"
#include "engine/ScriptError.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QSysInfo>

#include <csignal>
#include <filesystem>

#include <unistd.h>

namespace {

constexpr int kFileNotFound = 53;
constexpr int kProfilePollMs = 50;

bool processRuns(qint64 pid)
{
    return ::kill(static_cast<pid_t>(pid), 0) == 0;
}

void waitForProfileRelease(const QString &profileFolder)
{
    const auto owner = chromiumOfProfile(profileFolder);
    const QDeadlineTimer deadline(kProfileReleaseTimeoutMs);
    while (owner && processRuns(*owner) && !deadline.hasExpired()) {
        NestedWait pause(kProfilePollMs);
        (void)pause.wait();
    }
}

} // namespace

LaunchEnvironment LaunchEnvironment::current()
{
    return {!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"), ::geteuid() == 0};
}

QString findChromiumProgram(const QString &givenPath, const QStringList &searchPaths)
{
    if (!givenPath.isEmpty()) {
        const QFileInfo given(givenPath);
        if (given.isFile() && given.isExecutable())
            return given.absoluteFilePath();
        return QStandardPaths::findExecutable(givenPath, searchPaths); // a bare program name
    }
    for (const QString &name : kChromiumProgramNames) {
        const QString found = QStandardPaths::findExecutable(name, searchPaths);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

QString defaultChromiumProfileFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("chromium-profile"));
}

QStringList chromiumArguments(int port, const QString &profileFolder, const LaunchEnvironment &environment)
{
    QStringList arguments{
        QStringLiteral("--remote-debugging-port=%1").arg(port),
        QStringLiteral("--user-data-dir=%1").arg(profileFolder),
        QStringLiteral("--no-first-run"),
        QStringLiteral("--no-default-browser-check"),
        QStringLiteral("--disable-background-networking"),
        QStringLiteral("--disable-component-update"),
        QStringLiteral("--disable-sync"),
        QStringLiteral("--disable-quic"),
    };
    if (environment.isRoot)
        arguments << QStringLiteral("--no-sandbox");
    if (!environment.hasDisplay)
        arguments << QStringLiteral("--headless=new");
    arguments << QStringLiteral("about:blank");
    return arguments;
}

std::optional<qint64> chromiumOfProfile(const QString &profileFolder)
{
    std::error_code error;
    const QString lock = QString::fromStdString(
        std::filesystem::read_symlink(QDir(profileFolder).filePath(QStringLiteral("SingletonLock")).toStdString(), error).string());
    const qsizetype dash = lock.lastIndexOf(QLatin1Char('-'));
    if (dash < 0 || lock.left(dash) != QSysInfo::machineHostName())
        return std::nullopt;
    bool ok = false;
    const qint64 pid = lock.mid(dash + 1).toLongLong(&ok);
    return ok && pid > 0 ? std::optional<qint64>(pid) : std::nullopt;
}

qint64 launchChromium(const QString &givenPath, int port, const QString &profileFolder)
{
    const QString program = findChromiumProgram(givenPath);
    if (program.isEmpty())
        throw ScriptError(kFileNotFound, QStringLiteral("File not found"));
    QDir().mkpath(profileFolder);
    waitForProfileRelease(profileFolder);
    QProcess process;
    process.setProgram(program);
    process.setArguments(chromiumArguments(port, profileFolder, LaunchEnvironment::current()));
    process.setWorkingDirectory(QDir::homePath());
    // Chromium's own diagnostics would otherwise run into NavRelay's terminal.
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (!process.startDetached(&pid))
        throw ScriptError(kFileNotFound, QStringLiteral("File not found"));
    return pid;
}
