#include "app/HelpPages.h"

#include <QDir>
#include <QFileInfo>

QStringList docsFolders(const QString &programFolder)
{
    const QDir program(programFolder);
    return {QDir::cleanPath(program.absoluteFilePath(QStringLiteral("docs"))),
            QDir::cleanPath(program.absoluteFilePath(QStringLiteral("../share/navrelay/docs")))};
}

std::optional<QString> docsPagePath(const QString &programFolder, const QString &name)
{
    for (const QString &folder : docsFolders(programFolder)) {
        const QFileInfo page(QDir(folder).filePath(name));
        if (page.isFile())
            return page.absoluteFilePath();
    }
    return std::nullopt;
}

QString missingDocsPageMessage(const QString &programFolder, const QString &name)
{
    QStringList folders;
    for (const QString &folder : docsFolders(programFolder))
        folders.append(QDir::toNativeSeparators(folder));
    return QStringLiteral("The help page %1 is not installed: it is in none of %2.").arg(name, folders.join(QStringLiteral(", ")));
}
