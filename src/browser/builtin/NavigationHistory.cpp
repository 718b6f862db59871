#include "browser/builtin/NavigationHistory.h"

NavigationHistory::NavigationHistory(int maxEntries)
    : m_maxEntries(maxEntries)
{
}

void NavigationHistory::push(const NavigationRequest &request)
{
    m_entries.erase(m_entries.begin() + (m_current + 1), m_entries.end());
    m_entries.push_back(kept(request));
    if (static_cast<int>(m_entries.size()) > m_maxEntries)
        m_entries.pop_front();
    m_current = static_cast<int>(m_entries.size()) - 1;
}

void NavigationHistory::revisit(int index, const NavigationRequest &request)
{
    if (index < 0 || index >= size())
        return;
    m_entries[index] = kept(request);
    m_current = index;
}

std::optional<int> NavigationHistory::backIndex() const
{
    if (m_current <= 0)
        return std::nullopt;
    return m_current - 1;
}

NavigationRequest NavigationHistory::kept(const NavigationRequest &request)
{
    NavigationRequest entry = request;
    entry.body.clear();
    entry.target.clear();
    return entry;
}
