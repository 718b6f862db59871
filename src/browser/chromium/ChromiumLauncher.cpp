#include "browser/chromium/ChromiumLauncher.h"

#include "browser/chromium/LaunchedChromium.h"
#include "engine/ScriptError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <filesystem>

#include <unistd.h>

namespace {

constexpr int kFileNotFound = 53;
constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

bool processRuns(qint64 pid)
{
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// The profile holds the user's cookies and history: no other user may read it.
void makePrivateFolder(const QString &folder)
{
    QDir().mkpath(QFileInfo(folder).absolutePath());
    (void)QDir().mkdir(folder, kOwnerOnly);
    (void)QFile::setPermissions(folder, kOwnerOnly);
}

} // namespace

LaunchEnvironment LaunchEnvironment::current()
{
    return {!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"), ::geteuid() == 0, {}};
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

QStringList chromiumArguments(const QString &profileFolder, const LaunchEnvironment &environment)
{
    QStringList arguments{
        QStringLiteral("--remote-debugging-pipe"),
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
    // Loopback addresses go through the proxy too, as they do on the built-in engine.
    if (!environment.proxy.isEmpty())
        arguments << QStringLiteral("--proxy-server=%1").arg(environment.proxy) << QStringLiteral("--proxy-bypass-list=<-loopback>");
    if (environment.insecure)
        arguments << QStringLiteral("--ignore-certificate-errors");
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

std::unique_ptr<LaunchedChromium> launchChromium(const QString &givenPath, const QString &profileFolder, const QString &proxy,
                                                 bool insecure)
{
    const QString program = findChromiumProgram(givenPath);
    if (program.isEmpty())
        throw ScriptError(kFileNotFound, QStringLiteral("File not found"));
    LaunchEnvironment environment = LaunchEnvironment::current();
    environment.proxy = proxy;
    environment.insecure = insecure;
    makePrivateFolder(profileFolder);
    ProfileLock lock(profileFolder);
    const auto owner = chromiumOfProfile(profileFolder);
    if (!lock.held() || (owner && processRuns(*owner))) {
        auto throwaway = std::make_unique<QTemporaryDir>(); // made readable by its owner only
        const QString folder = throwaway->path();
        return std::make_unique<LaunchedChromium>(program, chromiumArguments(folder, environment),
                                                  ProfileLock(), std::move(throwaway));
    }
    return std::make_unique<LaunchedChromium>(program, chromiumArguments(profileFolder, environment),
                                              std::move(lock));
}
