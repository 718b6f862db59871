// Where the library lives, and its creation on first run.
#include "library/ScriptLibrary.h"

#include "library/ScriptFileAccess.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

bool dirExists(const QString &folder)
{
    return !folder.isEmpty() && QFileInfo(folder).isDir();
}

bool installedUnderPrefix(const QString &programFolder)
{
    const QDir program(programFolder);
    return program.dirName() == QLatin1String("bin") && dirExists(program.filePath(QStringLiteral("../share/navrelay")));
}

QString defaultLibraryRoot(const QString &programFolder)
{
    const QString perUser = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/Scripts");
    // Run as root, an installed program could write into its own bin/, where no package
    // manager removes it again.
    if (installedUnderPrefix(programFolder))
        return perUser;
    const QString besideProgram = programFolder + QStringLiteral("/Scripts");
    if (dirExists(besideProgram) || QFileInfo(programFolder).isWritable())
        return besideProgram;
    return perUser;
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
