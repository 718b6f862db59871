#include "ProcessProbe.h"

#include "QtWait.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <csignal>

namespace {

constexpr auto kListenState = "0A";

// A zombie has ended; only its parent's wait is still to come.
bool isLive(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray fields = stat.readAll();
    return fields.mid(fields.lastIndexOf(')') + 2, 1) != "Z";
}

QSet<QString> socketInodesOf(const std::vector<pid_t> &pids)
{
    QSet<QString> inodes;
    for (const pid_t pid : pids) {
        const QDir descriptors(QStringLiteral("/proc/%1/fd").arg(pid));
        for (const QString &entry : descriptors.entryList(QDir::System | QDir::NoDotAndDotDot)) {
            const QString target = QFile::symLinkTarget(descriptors.filePath(entry));
            const QString socketName = QFileInfo(target).fileName();
            if (socketName.startsWith(QLatin1String("socket:[")))
                inodes << socketName.mid(8).chopped(1);
        }
    }
    return inodes;
}

} // namespace

std::vector<pid_t> processesNaming(const QString &text)
{
    std::vector<pid_t> found;
    const QByteArray needle = QFile::encodeName(text);
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isPid = false;
        const pid_t pid = entry.toInt(&isPid);
        QFile commandLine(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (isPid && commandLine.open(QIODevice::ReadOnly) && commandLine.readAll().contains(needle) && isLive(pid))
            found.push_back(pid);
    }
    return found;
}

void killProcessesNaming(const QString &text)
{
    const auto pids = processesNaming(text);
    for (const pid_t pid : pids)
        ::kill(pid, SIGKILL);
    waitUntil([&pids] { return std::none_of(pids.begin(), pids.end(), isLive); }, 5000);
}

std::vector<int> listeningPortsOf(const std::vector<pid_t> &pids)
{
    const QSet<QString> inodes = socketInodesOf(pids);
    std::vector<int> ports;
    for (const char *table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        QFile file(QString::fromLatin1(table));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        file.readLine(); // the column names
        while (!file.atEnd()) {
            const QList<QByteArray> fields = file.readLine().simplified().split(' ');
            if (fields.size() > 9 && fields.at(3) == kListenState && inodes.contains(QString::fromLatin1(fields.at(9))))
                ports.push_back(fields.at(1).split(':').last().toInt(nullptr, 16));
        }
    }
    return ports;
}
