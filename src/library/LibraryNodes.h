#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// What the script tree shows of the library: one node per script folder, then the scripts of
// each folder, in the order the nodes are added to the tree.

// One script folder of the library and the names of the files in it, in listing order.
struct LibraryFolder {
    QString name;
    QStringList fileNames;
};

struct LibraryNode {
    QString key;  // the folder name, or "child_" + nodes added before it + the file name
    QString text; // the folder name, or the file name less its last four characters
    int folder = -1; // the index of the folder node a script node belongs to; -1 for a folder
};

// Node counts are 16-bit: the tree holds no more nodes than this.
inline constexpr int kMaxNodes = 32767;

// The script folders under the library root and the files of each, sorted by name without
// regard to case. Hidden entries are left out; a folder that cannot be listed has no files;
// an unreadable root gives no folders.
[[nodiscard]] std::vector<LibraryFolder> readLibrary(const QString &libraryRoot);

// The tree's nodes for the listing: all folder nodes first, then the script nodes folder by
// folder. A file whose name would leave no text is not shown; nodes past kMaxNodes are dropped.
[[nodiscard]] std::vector<LibraryNode> libraryNodes(const std::vector<LibraryFolder> &folders);

// The file name less its last four characters (a character outside the 16-bit range counts
// once); nothing when no text would be left.
[[nodiscard]] std::optional<QString> scriptNodeText(const QString &fileName);

// The file a script node stands for: the node text and ".txt" in its folder. Where no file has
// that exact name, one whose name differs only in letter case stands in, as on the systems the
// library's scripts often come from.
[[nodiscard]] QString scriptFileIn(const QString &folderPath, const QString &nodeText);

// True for a name the library can create and show: not empty, not hidden, no "/" and no NUL.
[[nodiscard]] bool isShowableName(const QString &name);
