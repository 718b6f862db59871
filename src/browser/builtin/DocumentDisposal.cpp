#include "browser/builtin/DocumentDisposal.h"

#include <condition_variable>
#include <mutex>
#include <vector>

struct DocumentDisposal::Queue {
    std::mutex mutex;
    std::condition_variable_any added;
    std::vector<std::shared_ptr<Document>> documents; // guarded by mutex

    void push(std::shared_ptr<Document> document)
    {
        {
            const std::lock_guard lock(mutex);
            documents.push_back(std::move(document));
        }
        added.notify_one();
    }
};

DocumentDisposal::DocumentDisposal()
    : m_queue(std::make_shared<Queue>())
{
    m_thread = std::jthread([this](std::stop_token stop) { freeInTurn(std::move(stop)); });
}

DocumentDisposal::~DocumentDisposal()
{
    m_thread.request_stop();
    m_thread.join();
    const std::lock_guard lock(m_queue->mutex);
    m_queue->documents.clear();
}

std::shared_ptr<Document> DocumentDisposal::adopt(std::shared_ptr<Document> document)
{
    if (!document)
        return nullptr;
    Document *const raw = document.get();
    // The deleter lives as long as the last weak reference: it lets go of the document at once.
    return std::shared_ptr<Document>(raw, [queue = std::weak_ptr(m_queue), owned = std::move(document)](Document *) mutable {
        auto last = std::move(owned);
        if (const auto alive = queue.lock())
            alive->push(std::move(last));
    });
}

void DocumentDisposal::freeInTurn(std::stop_token stop)
{
    std::vector<std::shared_ptr<Document>> batch;
    for (;;) {
        {
            std::unique_lock lock(m_queue->mutex);
            if (!m_queue->added.wait(lock, stop, [this] { return !m_queue->documents.empty(); }))
                return;
            batch.swap(m_queue->documents);
        }
        batch.clear();
    }
}
