#include "app/FileDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// The extension a Save adds to a name typed without one: that of the chosen filter.
QString suffixOfFilter(const QString &nameFilter)
{
    static const QRegularExpression firstPattern(QStringLiteral("\\*\\.(\\w+)"));
    const QRegularExpressionMatch match = firstPattern.match(nameFilter);
    return match.hasMatch() ? match.captured(1) : QString();
}

} // namespace

QStringList nameFiltersFromPairs(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts.at(i).trimmed();
        const QString patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
        if (description.contains(QLatin1Char('(') + patterns + QLatin1Char(')')))
            filters.append(description);
        else
            filters.append(QStringLiteral("%1 (%2)").arg(description, patterns));
    }
    return filters;
}

FileDialog::FileDialog(QWidget &parent)
    : m_parent(parent)
{
}

void FileDialog::setFilter(const QString &filter)
{
    m_nameFilters = nameFiltersFromPairs(filter);
    m_selectedFilter = m_nameFilters.value(0);
}

bool FileDialog::showOpen()
{
    return show(Mode::Open);
}

bool FileDialog::showSave()
{
    return show(Mode::Save);
}

bool FileDialog::show(Mode mode)
{
    QFileDialog dialog(&m_parent);
    dialog.setObjectName(QStringLiteral("fileDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(mode == Mode::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(mode == Mode::Open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters(m_nameFilters);
    if (!m_selectedFilter.isEmpty())
        dialog.selectNameFilter(m_selectedFilter);
    if (mode == Mode::Save) {
        dialog.setDefaultSuffix(suffixOfFilter(m_selectedFilter));
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog](const QString &chosen) { dialog.setDefaultSuffix(suffixOfFilter(chosen)); });
    }
    const QFileInfo current(m_fileName);
    dialog.setDirectory(current.absolutePath());
    dialog.selectFile(current.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    m_fileName = dialog.selectedFiles().constFirst();
    m_selectedFilter = dialog.selectedNameFilter();
    return true;
}
