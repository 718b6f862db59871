#pragma once

#include "browser/builtin/net/LoadLimits.h"
#include "browser/builtin/dom/NavigationRequest.h"

#include <deque>
#include <memory>
#include <optional>

class Document;

// A window's session history: the requests of the pages it has shown, oldest first, and the
// documents of the current page and the few before it, kept to be shown again on going back.
// The pages after the current one are those going back left: going forward loads them again,
// and a new page drops them. Form bodies are not kept: a page that answered a form is never
// asked for again by history.
class NavigationHistory {
public:
    explicit NavigationHistory(int maxEntries = MaxHistoryEntries, int maxKeptDocuments = MaxKeptDocuments);

    // A new page after the current one; the entries after it are dropped. A null document is
    // one that may not be kept.
    void push(const NavigationRequest &request, std::shared_ptr<Document> document, int httpStatus = 0);
    // The entry at `index` has been shown again (after redirects, possibly at a new address).
    void revisit(int index, const NavigationRequest &request, std::shared_ptr<Document> document,
                 int httpStatus = 0);

    // The entry before the current one, if any.
    [[nodiscard]] std::optional<int> backIndex() const;
    // The entry after the current one, if going back left one.
    [[nodiscard]] std::optional<int> forwardIndex() const;
    [[nodiscard]] const NavigationRequest &entry(int index) const { return m_entries.at(index).request; }
    // The document the entry was left with, or null when it has to be loaded again.
    [[nodiscard]] std::shared_ptr<Document> keptDocument(int index) const { return m_entries.at(index).document; }
    // The HTTP status the entry's page came with.
    [[nodiscard]] int httpStatus(int index) const { return m_entries.at(index).httpStatus; }
    [[nodiscard]] int size() const { return static_cast<int>(m_entries.size()); }
    [[nodiscard]] int currentIndex() const { return m_current; }
    // Pages before the first entry were dropped for the bound on entries.
    [[nodiscard]] bool forgotEarlierPages() const { return m_forgotEarlierPages; }

private:
    struct Entry {
        NavigationRequest request;
        std::shared_ptr<Document> document;
        int httpStatus = 0;
    };

    [[nodiscard]] static Entry kept(const NavigationRequest &request, std::shared_ptr<Document> document,
                                    int httpStatus);
    // Only the current page and the few before it keep their documents: history stays small.
    void forgetDistantDocuments();

    int m_maxEntries;
    int m_maxKeptDocuments;
    std::deque<Entry> m_entries;
    int m_current = -1;
    bool m_forgotEarlierPages = false;
};
