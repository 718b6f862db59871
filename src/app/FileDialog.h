#pragma once

#include "library/CommonDialog.h"

#include <QStringList>

class QWidget;

// The name filters a "Description|Pattern|Description|Pattern" filter text gives a Qt dialog:
// "Text Files (*.txt)|*.txt" gives "Text Files (*.txt)"; several patterns ("*.a;*.b") are
// listed with blanks; a description without its patterns gets them in brackets.
[[nodiscard]] QStringList nameFiltersFromPairs(const QString &filter);

// fileDialog: the Open and Save dialogs over Qt's own file dialog (the same on every desktop),
// remembering the file name and the chosen filter from one use to the next.
class FileDialog : public CommonDialog {
public:
    explicit FileDialog(QWidget &parent);

    void setFilter(const QString &filter);
    [[nodiscard]] const QStringList &nameFilters() const { return m_nameFilters; }

    [[nodiscard]] QString fileName() const override { return m_fileName; }
    void setFileName(const QString &fileName) override { m_fileName = fileName; }
    [[nodiscard]] bool showOpen() override;
    [[nodiscard]] bool showSave() override;

private:
    enum class Mode { Open, Save };
    [[nodiscard]] bool show(Mode mode);

    QWidget &m_parent;
    QStringList m_nameFilters;
    QString m_selectedFilter;
    QString m_fileName;
};
