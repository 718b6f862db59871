#include "cli/ScriptSource.h"

#include "engine/ScriptFile.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr qsizetype kReadBytes = 64 * 1024;

// Counts the lines of the bytes as they come and says which bound they pass first.
class ScriptBounds {
public:
    // The problem with the bytes read so far, if they pass a bound.
    [[nodiscard]] std::optional<QString> take(const char *bytes, qsizetype size)
    {
        m_total += size;
        if (m_total > kMaxScriptBytes)
            return QStringLiteral("the script is larger than %1 MB").arg(kMaxScriptBytes / (1024 * 1024));
        for (const char *end = bytes + size; bytes < end;) {
            const char *newline = std::find(bytes, end, '\n');
            if (m_lineBytes == 0 && bytes < end && ++m_lines > kMaxScriptLines)
                return QStringLiteral("the script has more than %L1 lines").arg(kMaxScriptLines);
            m_lineBytes += newline - bytes;
            if (m_lineBytes > kMaxScriptLineBytes)
                return QStringLiteral("line %L1 is longer than 1 MB").arg(m_lines);
            if (newline == end)
                break;
            m_lineBytes = 0;
            bytes = newline + 1;
        }
        return std::nullopt;
    }
    [[nodiscard]] int line() const { return m_lines; }

private:
    qint64 m_total = 0;
    qint64 m_lineBytes = 0; // of the line being read
    int m_lines = 0;        // begun so far
};

ScriptSource notRead(ScriptSource::Outcome outcome, const QString &problem, int line = 0)
{
    ScriptSource source;
    source.outcome = outcome;
    source.problem = problem;
    source.line = line;
    return source;
}

QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The file's descriptor, opened without waiting for a writer when it is a pipe.
int openInput(const QString &path)
{
    if (path == QLatin1String("-"))
        return STDIN_FILENO;
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor >= 0)
        ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    return descriptor;
}

ScriptSource readBounded(int input, const QDeadlineTimer &deadline, int stopDescriptor)
{
    QByteArray bytes;
    ScriptBounds bounds;
    char buffer[kReadBytes];
    for (;;) {
        pollfd watched[2] = {{input, POLLIN, 0}, {stopDescriptor, POLLIN, 0}};
        const qint64 remaining = deadline.remainingTime();
        const int ready = ::poll(watched, stopDescriptor >= 0 ? 2 : 1, int(std::min<qint64>(remaining, 60000)));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return notRead(ScriptSource::Outcome::Unreadable, systemReason());
        if (watched[1].revents != 0)
            return notRead(ScriptSource::Outcome::Stopped, QStringLiteral("a stop signal came"), bounds.line());
        if (ready == 0) {
            if (deadline.hasExpired())
                return notRead(ScriptSource::Outcome::TimedOut, QStringLiteral("the script did not end in time"), bounds.line());
            continue;
        }
        const ssize_t count = ::read(input, buffer, sizeof buffer);
        if (count < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (count < 0)
            return notRead(ScriptSource::Outcome::Unreadable, systemReason());
        if (count == 0)
            return {ScriptSource::Outcome::Read, scriptTextFromBytes(bytes),
                    QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex(), QString(), bounds.line()};
        if (const auto problem = bounds.take(buffer, count))
            return notRead(ScriptSource::Outcome::Refused, *problem, bounds.line());
        bytes.append(buffer, count);
    }
}

} // namespace

ScriptSource readScriptSource(const QString &path, const QDeadlineTimer &deadline, int stopDescriptor)
{
    const int input = openInput(path);
    if (input < 0)
        return notRead(ScriptSource::Outcome::Unreadable, systemReason());
    ScriptSource source = readBounded(input, deadline, stopDescriptor);
    if (input != STDIN_FILENO)
        ::close(input);
    return source;
}

QString scriptSourceName(const QString &path)
{
    return path == QLatin1String("-") ? QStringLiteral("<stdin>") : path;
}
