#pragma once

#include "browser/builtin/LoadLimits.h"
#include "browser/builtin/dom/NavigationRequest.h"

#include <deque>
#include <optional>

// A window's session history: the requests of the pages it has shown, oldest first.
// Form bodies are not kept: a page that answered a form is never asked for again by history.
class NavigationHistory {
public:
    explicit NavigationHistory(int maxEntries = MaxHistoryEntries);

    // A new page after the current one; the entries after it are dropped.
    void push(const NavigationRequest &request);
    // The entry at `index` has been shown again (after redirects, possibly at a new address).
    void revisit(int index, const NavigationRequest &request);

    // The entry before the current one, if any.
    [[nodiscard]] std::optional<int> backIndex() const;
    [[nodiscard]] const NavigationRequest &entry(int index) const { return m_entries.at(index); }
    [[nodiscard]] int size() const { return static_cast<int>(m_entries.size()); }
    [[nodiscard]] int currentIndex() const { return m_current; }

private:
    [[nodiscard]] static NavigationRequest kept(const NavigationRequest &request);

    int m_maxEntries;
    std::deque<NavigationRequest> m_entries;
    int m_current = -1;
};
