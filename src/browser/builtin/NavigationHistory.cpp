#include "browser/builtin/NavigationHistory.h"

#include "page/Document.h"

NavigationHistory::NavigationHistory(int maxEntries, int maxKeptDocuments)
    : m_maxEntries(maxEntries)
    , m_maxKeptDocuments(maxKeptDocuments)
{
}

void NavigationHistory::push(const NavigationRequest &request, std::shared_ptr<Document> document, int httpStatus)
{
    m_entries.erase(m_entries.begin() + (m_current + 1), m_entries.end());
    m_entries.push_back(kept(request, std::move(document), httpStatus));
    if (static_cast<int>(m_entries.size()) > m_maxEntries) {
        m_entries.pop_front();
        m_forgotEarlierPages = true;
    }
    m_current = static_cast<int>(m_entries.size()) - 1;
    forgetDistantDocuments();
}

void NavigationHistory::revisit(int index, const NavigationRequest &request, std::shared_ptr<Document> document,
                                int httpStatus)
{
    if (index < 0 || index >= size())
        return;
    m_entries[index] = kept(request, std::move(document), httpStatus);
    m_current = index;
    forgetDistantDocuments();
}

std::optional<int> NavigationHistory::backIndex() const
{
    if (m_current <= 0)
        return std::nullopt;
    return m_current - 1;
}

std::optional<int> NavigationHistory::forwardIndex() const
{
    if (m_current + 1 >= size())
        return std::nullopt;
    return m_current + 1;
}

NavigationHistory::Entry NavigationHistory::kept(const NavigationRequest &request, std::shared_ptr<Document> document,
                                                 int httpStatus)
{
    Entry entry{request, std::move(document), httpStatus};
    entry.request.body.clear();
    entry.request.target.clear();
    return entry;
}

void NavigationHistory::forgetDistantDocuments()
{
    // The pages after the current one are loaded again on going forward: memory stays as small.
    for (int index = 0; index < size(); ++index) {
        if (index < m_current - m_maxKeptDocuments || index > m_current)
            m_entries[index].document.reset();
    }
}
