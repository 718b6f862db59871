#pragma once

#include "page/Document.h"

#include <memory>
#include <thread>

// Frees the documents the windows let go of where no line waits for it. A large page's tree
// takes about as long to free as to build: it goes to a thread of its own. A small page's
// document frees faster than the hop to that thread costs: it is held until the window next
// waits for a server's answer, and freed in place then.
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
    // The same document, whose last owner hands it to freeHeld() instead of freeing it at once.
    [[nodiscard]] std::shared_ptr<Document> holdOnceLetGo(std::shared_ptr<Document> document);
    // Frees the documents let go of since the last call; for when a request has gone out.
    void freeHeld();

private:
    struct Queue;
    // The same document, whose last owner gives it to the queue by `take`; once the queue is
    // gone, the last owner frees it itself.
    [[nodiscard]] std::shared_ptr<Document> handOverWhenLetGo(std::shared_ptr<Document> document,
                                                              void (Queue::*take)(std::shared_ptr<Document>));
    void freeInTurn(std::stop_token stop);

    const std::shared_ptr<Queue> m_queue;
    std::jthread m_thread;
};
