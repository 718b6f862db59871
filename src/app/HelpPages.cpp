#include "app/HelpPages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {

QString docsPageUrl(const QString &name)
{
    return QUrl::fromLocalFile(docsPagePath(QCoreApplication::applicationDirPath(), QStringLiteral(NAVRELAY_DOCS_DIR), name))
        .toString();
}

} // namespace

QString docsPagePath(const QString &programFolder, const QString &sourceDocsFolder, const QString &name)
{
    const QDir program(programFolder);
    const QStringList candidates = {
        program.filePath(QStringLiteral("docs/") + name),
        program.filePath(QStringLiteral("../share/navrelay/docs/") + name),
        QDir(sourceDocsFolder).filePath(name),
    };
    for (const QString &candidate : candidates) {
        if (QFileInfo(candidate).isFile())
            return QDir::cleanPath(QFileInfo(candidate).absoluteFilePath());
    }
    return candidates.constLast();
}

QString commandReferenceUrl()
{
    return docsPageUrl(QStringLiteral("commands.html"));
}

QString userGuideUrl()
{
    return docsPageUrl(QStringLiteral("user-guide.html"));
}
