// Writes the program's icon as the files of the desktop's hicolor icon theme, at build time:
//   navrelay-icon-export FOLDER   ->  FOLDER/SIZExSIZE/apps/navrelay.png, FOLDER/scalable/apps/navrelay.svg
#include "about/ProgramIcon.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <cstdio>

namespace {

const QString kIconName = QStringLiteral("navrelay");

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: navrelay-icon-export FOLDER\n");
        return 1;
    }
    const QDir theme(QString::fromLocal8Bit(argv[1]));
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = theme.filePath(QStringLiteral("%1x%1/apps").arg(size));
        if (!QDir().mkpath(folder) || !programIconImage(size).save(folder + QLatin1Char('/') + kIconName + QStringLiteral(".png"))) {
            std::fprintf(stderr, "navrelay-icon-export: cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    const QString scalable = theme.filePath(QStringLiteral("scalable/apps"));
    if (!QDir().mkpath(scalable) || !writeFile(scalable + QLatin1Char('/') + kIconName + QStringLiteral(".svg"), programIconSvg())) {
        std::fprintf(stderr, "navrelay-icon-export: cannot write %s\n", qPrintable(scalable));
        return 1;
    }
    return 0;
}
