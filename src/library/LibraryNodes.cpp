#include "library/LibraryNodes.h"

#include <QDir>
#include <QFileInfo>

namespace {

constexpr int kExtensionLength = 4;

QStringList sortedEntries(const QString &path, QDir::Filters kind)
{
    return QDir(path).entryList(kind | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
}

} // namespace

std::vector<LibraryFolder> readLibrary(const QString &libraryRoot)
{
    std::vector<LibraryFolder> folders;
    for (const QString &name : sortedEntries(libraryRoot, QDir::Dirs))
        folders.push_back({name, sortedEntries(libraryRoot + QLatin1Char('/') + name, QDir::Files)});
    return folders;
}

std::optional<QString> scriptNodeText(const QString &fileName)
{
    qsizetype end = fileName.size();
    for (int removed = 0; removed < kExtensionLength && end > 0; ++removed) {
        const bool pair = end >= 2 && fileName.at(end - 1).isLowSurrogate() && fileName.at(end - 2).isHighSurrogate();
        end -= pair ? 2 : 1;
    }
    if (end <= 0)
        return std::nullopt;
    return fileName.left(end);
}

std::vector<LibraryNode> libraryNodes(const std::vector<LibraryFolder> &folders)
{
    std::vector<LibraryNode> nodes;
    for (const LibraryFolder &folder : folders) {
        if (nodes.size() == kMaxNodes)
            return nodes;
        nodes.push_back({folder.name, folder.name, -1});
    }
    for (int index = 0; index < int(folders.size()) && index < kMaxNodes; ++index) {
        for (const QString &fileName : folders[index].fileNames) {
            const std::optional<QString> text = scriptNodeText(fileName);
            if (!text)
                continue;
            if (nodes.size() == kMaxNodes)
                return nodes;
            nodes.push_back({QStringLiteral("child_") + QString::number(nodes.size()) + fileName, *text, index});
        }
    }
    return nodes;
}

QString scriptFileIn(const QString &folderPath, const QString &nodeText)
{
    const QString fileName = nodeText + QStringLiteral(".txt");
    const QString exact = folderPath + QLatin1Char('/') + fileName;
    if (QFileInfo::exists(exact))
        return exact;
    for (const QString &name : sortedEntries(folderPath, QDir::Files)) {
        if (name.compare(fileName, Qt::CaseInsensitive) == 0)
            return folderPath + QLatin1Char('/') + name;
    }
    return exact;
}

bool isShowableName(const QString &name)
{
    return !name.isEmpty() && !name.startsWith(QLatin1Char('.')) && !name.contains(QLatin1Char('/'))
        && !name.contains(QChar::Null);
}
