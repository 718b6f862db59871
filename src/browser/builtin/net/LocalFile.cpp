#include "browser/builtin/net/LocalFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype ReadStep = 64 * 1024;

[[nodiscard]] LoadFailure systemFailure(int error)
{
    const LoadFailureKind kind = error == ENOENT || error == ENOTDIR ? LoadFailureKind::FileNotFound
                                                                     : LoadFailureKind::FileUnreadable;
    return {kind, QString::fromLocal8Bit(std::strerror(error))};
}

[[nodiscard]] LoadFailure notRegular(const struct stat &status)
{
    if (S_ISDIR(status.st_mode))
        return systemFailure(EISDIR);
    return {LoadFailureKind::FileUnreadable, QStringLiteral("it is not a regular file")};
}

// Closes the descriptor however the read ends.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : m_fd(fd)
    {
    }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    [[nodiscard]] int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

LocalFileContent readRegularFile(const QString &path, qint64 maxBytes)
{
    const QByteArray name = path.toLocal8Bit();
    struct stat status {};
    // The kind is checked before opening: opening a FIFO or a tape device is itself an action.
    if (::stat(name.constData(), &status) != 0)
        return {{}, systemFailure(errno)};
    if (!S_ISREG(status.st_mode))
        return {{}, notRegular(status)};
    // Non-blocking and checked again, in case the name was swapped for something else meanwhile.
    const FileDescriptor file(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0)
        return {{}, systemFailure(errno)};
    if (::fstat(file.get(), &status) != 0)
        return {{}, systemFailure(errno)};
    if (!S_ISREG(status.st_mode))
        return {{}, notRegular(status)};
    if (status.st_size > maxBytes)
        return {{}, bodyTooLarge(maxBytes)};
    LocalFileContent content;
    // Files of /proc tell a size of 0: the size is where reading starts, the end of file where it stops.
    content.bytes.resize(std::max<qsizetype>(status.st_size, ReadStep) + 1);
    qsizetype filled = 0;
    for (;;) {
        if (filled == content.bytes.size())
            content.bytes.resize(std::min<qsizetype>(filled * 2, maxBytes + 1));
        const ssize_t got = ::read(file.get(), content.bytes.data() + filled, content.bytes.size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return {{}, systemFailure(errno)};
        if (got == 0)
            break;
        filled += got;
        if (filled > maxBytes)
            return {{}, bodyTooLarge(maxBytes)};
    }
    content.bytes.resize(filled);
    return content;
}
