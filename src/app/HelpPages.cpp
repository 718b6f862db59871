#include "app/HelpPages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {

QString docsPage(const QString &name)
{
    const QDir programFolder(QCoreApplication::applicationDirPath());
    const QStringList candidates = {
        programFolder.filePath(QStringLiteral("docs/") + name),
        programFolder.filePath(QStringLiteral("../share/navrelay/docs/") + name),
        QStringLiteral(NAVRELAY_DOCS_DIR "/") + name,
    };
    for (const QString &candidate : candidates) {
        if (QFileInfo(candidate).isFile())
            return QUrl::fromLocalFile(QFileInfo(candidate).absoluteFilePath()).toString();
    }
    return QUrl::fromLocalFile(candidates.constLast()).toString();
}

} // namespace

QString commandReferenceUrl()
{
    return docsPage(QStringLiteral("commands.html"));
}

QString userGuideUrl()
{
    return docsPage(QStringLiteral("user-guide.html"));
}
