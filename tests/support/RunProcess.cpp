#include "RunProcess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

RunResult runNavRelay(const QStringList &arguments, const RunSetting &setting)
{
    QProcess process;
    process.setProcessEnvironment(setting.environment);
    if (!setting.workingFolder.isEmpty())
        process.setWorkingDirectory(setting.workingFolder);
    process.setStandardInputFile(setting.standardInput.isEmpty() ? QProcess::nullDevice() : setting.standardInput);
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral(NAVRELAY_RUN_PATH), arguments);
    RunResult result;
    if (!process.waitForFinished(setting.timeoutMs)) {
        process.kill();
        process.waitForFinished();
    } else if (process.exitStatus() == QProcess::NormalExit) {
        result.exitCode = process.exitCode();
    }
    result.elapsedMs = clock.elapsed();
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.errors = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

QString writeTextFile(const QString &path, const QByteArray &text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
    return path;
}
