#pragma once

#include <QObject>
#include <QStringList>

// The link list: addresses in list order, and whether the list and the List menu's
// "Hide Link List" item and the separator above it are shown.
class LinkList : public QObject {
    Q_OBJECT
public:
    [[nodiscard]] const QStringList &entries() const { return m_entries; }
    [[nodiscard]] bool isVisible() const { return m_visible; }
    [[nodiscard]] bool isHideItemVisible() const { return m_hideItemVisible; }
    [[nodiscard]] bool isSeparatorVisible() const { return m_separatorVisible; }

    void clear();
    void append(const QString &entry);
    void append(const QStringList &entries);
    void removeAt(qsizetype position);
    // Shows the list together with the Hide Link List item and its separator.
    void show();
    // Hides the list and the separator; the Hide Link List item stays.
    void hide();
    // Hides only the list, as a double-click on an entry does.
    void hideListOnly();

signals:
    void entriesChanged();
    void visibilityChanged();

private:
    QStringList m_entries;
    bool m_visible = false;
    bool m_hideItemVisible = false;
    bool m_separatorVisible = false;
};
