#include "browser/chromium/PipeTransport.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace {

constexpr qsizetype kReadChunk = 64 * 1024;

void makeNonBlocking(int fd)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// A write into a pipe whose reader has gone raises SIGPIPE, which would end NavRelay: the signal
// is held back for this thread during the write, and one it raised is taken away again.
ssize_t writeWithoutSigpipe(int fd, const char *data, size_t size)
{
    sigset_t pipeSignal;
    sigset_t previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    const ssize_t written = ::write(fd, data, size);
    const int writeError = errno;
    if (written < 0 && writeError == EPIPE && !sigismember(&previous, SIGPIPE)) {
        const timespec noWait{0, 0};
        (void)sigtimedwait(&pipeSignal, nullptr, &noWait);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = writeError;
    return written;
}

} // namespace

PipeTransport::PipeTransport(int commandFd, int replyFd)
    : m_commandFd(commandFd)
    , m_replyFd(replyFd)
    , m_readable(std::make_unique<QSocketNotifier>(replyFd, QSocketNotifier::Read))
    , m_writable(std::make_unique<QSocketNotifier>(commandFd, QSocketNotifier::Write))
{
    makeNonBlocking(commandFd);
    makeNonBlocking(replyFd);
    m_writable->setEnabled(false);
    connect(m_readable.get(), &QSocketNotifier::activated, this, &PipeTransport::readReplies);
    connect(m_writable.get(), &QSocketNotifier::activated, this, &PipeTransport::writeCommands);
}

PipeTransport::~PipeTransport()
{
    m_readable.reset();
    m_writable.reset();
    ::close(m_commandFd);
    ::close(m_replyFd);
}

void PipeTransport::send(const QByteArray &message)
{
    if (!m_open)
        return;
    m_unsent += message;
    m_unsent += '\0';
    writeCommands();
}

void PipeTransport::writeCommands()
{
    while (!m_unsent.isEmpty()) {
        const ssize_t written = writeWithoutSigpipe(m_commandFd, m_unsent.constData(), static_cast<size_t>(m_unsent.size()));
        if (written > 0) {
            m_unsent.remove(0, written);
        } else if (written < 0 && errno == EAGAIN) {
            break; // the browser has not read what came before: go on when the pipe has room
        } else if (written < 0 && errno != EINTR) {
            // The browser is gone; its reply pipe tells the rest once it has been read to the end.
            m_unsent.clear();
            m_writable->setEnabled(false);
            return;
        }
    }
    m_writable->setEnabled(!m_unsent.isEmpty());
}

void PipeTransport::readReplies()
{
    const qsizetype kept = m_partial.size();
    m_partial.resize(kept + kReadChunk);
    const ssize_t count = ::read(m_replyFd, m_partial.data() + kept, static_cast<size_t>(kReadChunk));
    m_partial.resize(kept + std::max<ssize_t>(count, 0));
    if (count < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (count <= 0) {
        m_replyEnded = true;
        m_readable->setEnabled(false);
    }
    qsizetype start = 0;
    for (qsizetype end = m_partial.indexOf('\0', kept); end >= 0; end = m_partial.indexOf('\0', start)) {
        m_received.push_back(m_partial.mid(start, end - start));
        start = end + 1;
    }
    m_partial.remove(0, start);
    scheduleDelivery();
}

// Messages are delivered from the event loop rather than from the notifier: a handler may wait
// for a reply in a nested event loop, and the notifier must be free to read that reply.
void PipeTransport::scheduleDelivery()
{
    if (m_deliveryScheduled)
        return;
    m_deliveryScheduled = true;
    QMetaObject::invokeMethod(this, &PipeTransport::deliver, Qt::QueuedConnection);
}

void PipeTransport::deliver()
{
    m_deliveryScheduled = false;
    while (m_open && !m_received.empty()) {
        const QByteArray message = std::move(m_received.front());
        m_received.pop_front();
        emit messageReceived(message);
    }
    if (m_replyEnded && m_received.empty())
        close();
}

void PipeTransport::close()
{
    if (!m_open)
        return;
    m_open = false;
    m_writable->setEnabled(false);
    emit closed();
}
