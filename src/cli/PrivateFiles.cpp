#include "cli/PrivateFiles.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError()
{
    return errno == ELOOP ? QStringLiteral("it is a symbolic link") : QString::fromLocal8Bit(std::strerror(errno));
}

std::unique_ptr<QFile> openWith(const QString &path, int flags, QString &error)
{
    const int descriptor = ::open(QFile::encodeName(path).constData(), flags | O_WRONLY | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (descriptor < 0) {
        error = systemError();
        return nullptr;
    }
    // A file that was there keeps its owner; a file of ours becomes ours alone.
    (void)::fchmod(descriptor, 0600);
    auto file = std::make_unique<QFile>();
    if (!file->open(descriptor, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        error = file->errorString();
        return nullptr;
    }
    return file;
}

} // namespace

std::unique_ptr<QFile> openPrivateFile(const QString &path, QString &error)
{
    return openWith(path, O_CREAT | O_TRUNC, error);
}

std::unique_ptr<QFile> createPrivateFile(const QString &path, QString &error)
{
    return openWith(path, O_CREAT | O_EXCL, error);
}

bool makePrivateFolders(const QString &path, QString &error)
{
    const QString folder = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (QFileInfo(folder).isDir())
        return true;
    const QString parent = QFileInfo(folder).path();
    if (parent != folder && !makePrivateFolders(parent, error))
        return false;
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) == 0 || errno == EEXIST)
        return true;
    error = systemError();
    return false;
}
