#include "browser/chromium/ProfileLock.h"

#include <QDir>
#include <QFile>

#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

ProfileLock::ProfileLock(const QString &profileFolder)
{
    const QByteArray path = QFile::encodeName(QDir(profileFolder).filePath(QStringLiteral("NavRelay.lock")));
    const int descriptor = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (descriptor < 0)
        return;
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        ::close(descriptor);
        return;
    }
    m_descriptor = descriptor;
}

ProfileLock::~ProfileLock()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

ProfileLock::ProfileLock(ProfileLock &&other) noexcept
    : m_descriptor(std::exchange(other.m_descriptor, -1))
{
}

ProfileLock &ProfileLock::operator=(ProfileLock &&other) noexcept
{
    if (this != &other) {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
        m_descriptor = std::exchange(other.m_descriptor, -1);
    }
    return *this;
}
