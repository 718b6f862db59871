#include "cli/StopSignals.h"

#include <initializer_list>

#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

StopSignals::StopSignals()
{
    sigemptyset(&m_signals);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&m_signals, signal);
    pthread_sigmask(SIG_BLOCK, &m_signals, &m_previousMask);
    m_descriptor = signalfd(-1, &m_signals, SFD_NONBLOCK | SFD_CLOEXEC);
}

StopSignals::~StopSignals()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
    pthread_sigmask(SIG_SETMASK, &m_previousMask, nullptr);
}

std::optional<int> StopSignals::received() const
{
    signalfd_siginfo info{};
    if (m_descriptor < 0 || ::read(m_descriptor, &info, sizeof info) != static_cast<ssize_t>(sizeof info))
        return std::nullopt;
    return int(info.ssi_signo);
}
