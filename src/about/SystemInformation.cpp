#include "about/SystemInformation.h"

#include <QStandardPaths>

const QStringList &systemInformationPrograms()
{
    static const QStringList programs = {
        QStringLiteral("hardinfo2"),          QStringLiteral("hardinfo"),
        QStringLiteral("gnome-system-monitor"), QStringLiteral("plasma-systemmonitor"),
        QStringLiteral("ksysguard"),          QStringLiteral("mate-system-monitor"),
        QStringLiteral("xfce4-taskmanager"),  QStringLiteral("lxtask"),
    };
    return programs;
}

std::optional<QString> findSystemInformationProgram(const QStringList &searchFolders)
{
    for (const QString &program : systemInformationPrograms()) {
        const QString path = QStandardPaths::findExecutable(program, searchFolders);
        if (!path.isEmpty())
            return path;
    }
    return std::nullopt;
}
