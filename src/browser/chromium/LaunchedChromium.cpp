#include "browser/chromium/LaunchedChromium.h"

#include "browser/chromium/PipeTransport.h"
#include "engine/ScriptError.h"

#include <QDir>

#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kFileNotFound = 53;
constexpr int kCommandFd = 3;
constexpr int kReplyFd = 4;

} // namespace

LaunchedChromium::LaunchedChromium(const QString &program, const QStringList &arguments, ProfileLock profileLock,
                                   std::unique_ptr<QTemporaryDir> throwawayProfile)
    : m_profileLock(std::move(profileLock))
    , m_throwawayProfile(std::move(throwawayProfile))
{
    // Both pipes are closed on exec: no other child of NavRelay holds a copy of them.
    int commands[2];
    int replies[2];
    if (::pipe2(commands, O_CLOEXEC) != 0)
        throw ScriptError(kFileNotFound, QStringLiteral("File not found"));
    if (::pipe2(replies, O_CLOEXEC) != 0) {
        ::close(commands[0]);
        ::close(commands[1]);
        throw ScriptError(kFileNotFound, QStringLiteral("File not found"));
    }
    m_process.setProgram(program);
    m_process.setArguments(arguments);
    m_process.setWorkingDirectory(QDir::homePath());
    m_process.setStandardInputFile(QProcess::nullDevice());
    // Chromium's own diagnostics would otherwise run into NavRelay's terminal.
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.setChildProcessModifier([commandEnd = commands[0], replyEnd = replies[1]] {
        // Copies above 4 first: a dup2 onto its own number would keep close-on-exec, and the
        // first dup2 could overwrite the other end. A dup2 onto another number is inheritable.
        const int commandCopy = ::fcntl(commandEnd, F_DUPFD_CLOEXEC, kReplyFd + 1);
        const int replyCopy = ::fcntl(replyEnd, F_DUPFD_CLOEXEC, kReplyFd + 1);
        if (commandCopy < 0 || replyCopy < 0 || ::dup2(commandCopy, kCommandFd) < 0 || ::dup2(replyCopy, kReplyFd) < 0)
            ::_exit(127);
        // A program holding back the stop signals to end in order must not pass that on.
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
    });
    m_process.start();
    ::close(commands[0]);
    ::close(replies[1]);
    m_transport = std::make_unique<PipeTransport>(commands[1], replies[0]);
    if (!m_process.waitForStarted())
        throw ScriptError(kFileNotFound, QStringLiteral("File not found"));
}

LaunchedChromium::~LaunchedChromium()
{
    m_transport.reset();
    if (!m_process.waitForFinished(kCloseTimeoutMs))
        m_process.kill();
    m_process.waitForFinished(kCloseTimeoutMs);
}

std::unique_ptr<DevToolsTransport> LaunchedChromium::takeTransport()
{
    return std::move(m_transport);
}
