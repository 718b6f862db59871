#include "library/ScriptFileAccess.h"

#include "engine/ScriptFile.h"
#include "library/EditorText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

bool homeTrashAvailable()
{
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return !dataHome.isEmpty() && QDir().mkpath(dataHome + QStringLiteral("/Trash"));
}

bool moveToTrash(const QString &path)
{
    // Qt 6.4 moves the file into "files" under the working directory, and reports success, when
    // it cannot set up the home trash: only try where that trash exists, and undo such a move.
    if (!homeTrashAvailable())
        return false;
    QString pathInTrash;
    if (!QFile::moveToTrash(path, &pathInTrash))
        return false;
    if (QFileInfo(pathInTrash).isAbsolute())
        return true;
    return !QFile::rename(pathInTrash, path);
}

} // namespace

std::optional<QString> loadScriptText(const QString &path)
{
    const QFileInfo file(path);
    if (!file.isFile() || file.size() > kMaxScriptLength)
        return std::nullopt;
    std::optional<QString> text = readScriptFile(path);
    if (text && longestLine(*text) > kMaxLineLength)
        return std::nullopt;
    return text;
}

std::optional<QString> writeScriptFile(const QString &path, const QString &text)
{
    const QByteArray bytes = scriptFileBytes(text);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // commit() would rename a file whose buffered bytes never reached the disk (a full disk)
    // over the old one: a failed flush must cancel it.
    if (file.write(bytes) != bytes.size() || !file.flush())
        file.cancelWriting();
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

bool removeScriptFile(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return false;
    return moveToTrash(path) || QFile::remove(path);
}
