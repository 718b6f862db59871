#include "cli/SuitePlan.h"

#include "cli/DataTable.h"
#include "engine/SecretMask.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace {

QStringList scriptsInFolder(const QString &folder)
{
    const QDir dir(folder);
    QStringList scripts;
    const QStringList names = dir.entryList({QStringLiteral("*.nrs"), QStringLiteral("*.txt")}, QDir::Files | QDir::Readable,
                                            QDir::Name);
    for (const QString &name : names)
        scripts << dir.filePath(name);
    return scripts;
}

} // namespace

std::optional<QStringList> suiteScripts(const QStringList &paths, QString &error)
{
    QStringList scripts;
    QSet<QString> seen;
    const auto add = [&](const QString &path) {
        if (const QString key = QDir::cleanPath(QFileInfo(path).absoluteFilePath()); !seen.contains(key)) {
            seen.insert(key);
            scripts << path;
        }
    };
    for (const QString &path : paths) {
        if (!QFileInfo(path).isDir()) {
            add(path);
            continue;
        }
        const QStringList inFolder = scriptsInFolder(path);
        if (inFolder.isEmpty()) {
            error = QStringLiteral("the folder %1 holds no script (*.nrs or *.txt)").arg(path);
            return std::nullopt;
        }
        for (const QString &script : inFolder)
            add(script);
    }
    return scripts;
}

std::vector<SuiteCase> suiteCases(const QStringList &scripts, const DataTable *table, int variableColumn)
{
    std::vector<SuiteCase> cases;
    for (const QString &script : scripts) {
        if (!table) {
            cases.push_back({script, 0, QString(), std::nullopt});
            continue;
        }
        for (qsizetype row = 0; row < table->rows.size(); ++row) {
            const QStringList &fields = table->rows.at(row);
            const QString &variable = fields.at(variableColumn);
            // The first field names the row; when it is the text of "$$$" the name keeps it out.
            const QString first = SecretMask(variable).apply(fields.constFirst()).simplified();
            cases.push_back({script, int(row + 1), QStringLiteral("row %1: %2").arg(row + 1).arg(first), variable});
        }
    }
    return cases;
}

std::vector<SuiteCase> shardOf(const std::vector<SuiteCase> &cases, int index, int count)
{
    std::vector<SuiteCase> slice;
    for (std::size_t k = index - 1; k < cases.size(); k += std::size_t(count))
        slice.push_back(cases[k]);
    return slice;
}
