#include "ChromiumProcess.h"

#include "QtWait.h"
#include "browser/chromium/ChromiumLauncher.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <csignal>
#include <thread>

#include <unistd.h>

bool ChromiumProcess::installed()
{
    return QFileInfo(QString::fromLatin1(kProgram)).isExecutable();
}

ChromiumProcess::ChromiumProcess()
{
    LaunchEnvironment environment;
    environment.isRoot = ::geteuid() == 0;
    // Port 0: Chromium picks a free one and writes it to DevToolsActivePort in the profile.
    QStringList arguments = chromiumArguments(m_profile.path(), environment);
    arguments.replace(arguments.indexOf(QStringLiteral("--remote-debugging-pipe")), QStringLiteral("--remote-debugging-port=0"));
    m_process.setProgram(QString::fromLatin1(kProgram));
    m_process.setArguments(arguments);
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.setChildProcessModifier([] { ::setsid(); });
    m_process.start();
    QFile portFile(m_profile.filePath(QStringLiteral("DevToolsActivePort")));
    waitUntil([&] {
        if (!portFile.open(QIODevice::ReadOnly))
            return false;
        m_port = portFile.readLine().trimmed().toInt();
        m_socketPath = QString::fromLatin1(portFile.readLine().trimmed());
        portFile.close();
        return m_port > 0 && !m_socketPath.isEmpty();
    }, kStartTimeoutMs);
}

ChromiumProcess::~ChromiumProcess()
{
    kill();
}

void ChromiumProcess::kill()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    const auto group = static_cast<pid_t>(m_process.processId());
    ::kill(-group, SIGKILL);
    m_process.waitForFinished(5000);
    // Its helpers die on their own a moment later; the profile is removed only after them. No
    // events are handled meanwhile: the backend learns of the loss only when it next looks.
    const QDeadlineTimer deadline(5000);
    while (::kill(-group, 0) == 0 && !deadline.hasExpired())
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}
