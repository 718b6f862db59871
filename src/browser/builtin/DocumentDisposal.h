#pragma once

#include "page/Document.h"

#include <memory>
#include <thread>

// Frees the documents of large pages the windows let go of on a thread of its own: a page's tree
// takes about as long to free as to build, and the line that follows a new page need not wait
// for it. A small page's document frees faster than the hop to this thread costs.
class DocumentDisposal final {
public:
    DocumentDisposal();
    // Frees what is still queued and waits for the thread.
    ~DocumentDisposal();
    DocumentDisposal(const DocumentDisposal &) = delete;
    DocumentDisposal &operator=(const DocumentDisposal &) = delete;

    // The same document, whose last owner hands it to this thread instead of freeing it in
    // place; once this object is gone, the last owner frees it itself.
    [[nodiscard]] std::shared_ptr<Document> adopt(std::shared_ptr<Document> document);

private:
    struct Queue;
    void freeInTurn(std::stop_token stop);

    const std::shared_ptr<Queue> m_queue;
    std::jthread m_thread;
};
