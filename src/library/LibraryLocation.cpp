// Where the library lives, and its creation on first run.
#include "library/ScriptLibrary.h"

#include "library/ScriptFileAccess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

bool dirExists(const QString &folder)
{
    return !folder.isEmpty() && QFileInfo(folder).isDir();
}

QString defaultLibraryRoot()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString besideProgram = programFolder + QStringLiteral("/Scripts");
    if (dirExists(besideProgram) || QFileInfo(programFolder).isWritable())
        return besideProgram;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/Scripts");
}

void createFirstRunLibrary(const QString &libraryRoot)
{
    if (dirExists(libraryRoot))
        return;
    const QString defaultFolder = libraryRoot + QStringLiteral("/Default");
    // Each step is tried whatever came of the one before; a failure shows as an empty tree.
    QDir().mkpath(libraryRoot);
    QDir().mkdir(defaultFolder);
    (void)writeScriptFile(defaultFolder + QStringLiteral("/Default.txt"), QStringLiteral("Beep"));
}
