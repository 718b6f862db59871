#include "page/LinkList.h"

void LinkList::clear()
{
    m_entries.clear();
    emit entriesChanged();
}

void LinkList::append(const QString &entry)
{
    m_entries.append(entry);
    emit entriesChanged();
}

void LinkList::append(const QStringList &entries)
{
    m_entries.append(entries);
    emit entriesChanged();
}

void LinkList::removeAt(qsizetype position)
{
    m_entries.removeAt(position);
    emit entriesChanged();
}

void LinkList::show()
{
    m_visible = m_hideItemVisible = m_separatorVisible = true;
    emit visibilityChanged();
}

void LinkList::hide()
{
    m_visible = m_separatorVisible = false;
    emit visibilityChanged();
}

void LinkList::hideListOnly()
{
    m_visible = false;
    emit visibilityChanged();
}
