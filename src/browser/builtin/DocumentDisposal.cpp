#include "browser/builtin/DocumentDisposal.h"

#include <condition_variable>
#include <mutex>
#include <vector>

namespace {

// Loads that send no request (local files, data: addresses) never free what is held: past this
// many, the oldest goes at once.
constexpr size_t MostHeldDocuments = 4;

} // namespace

struct DocumentDisposal::Queue {
    std::mutex mutex;
    std::condition_variable_any added;
    std::vector<std::shared_ptr<Document>> documents; // guarded by mutex
    std::vector<std::shared_ptr<Document>> held;      // guarded by mutex

    void hold(std::shared_ptr<Document> document)
    {
        std::shared_ptr<Document> oldest;
        const std::lock_guard lock(mutex);
        if (held.size() == MostHeldDocuments) {
            oldest = std::move(held.front());
            held.erase(held.begin());
        }
        held.push_back(std::move(document));
    }

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
    std::vector<std::shared_ptr<Document>> left;
    const std::lock_guard lock(m_queue->mutex);
    left.swap(m_queue->documents);
    left.insert(left.end(), std::make_move_iterator(m_queue->held.begin()), std::make_move_iterator(m_queue->held.end()));
    m_queue->held.clear();
}

std::shared_ptr<Document> DocumentDisposal::adopt(std::shared_ptr<Document> document)
{
    return handOverWhenLetGo(std::move(document), &Queue::push);
}

std::shared_ptr<Document> DocumentDisposal::holdOnceLetGo(std::shared_ptr<Document> document)
{
    return handOverWhenLetGo(std::move(document), &Queue::hold);
}

std::shared_ptr<Document> DocumentDisposal::handOverWhenLetGo(std::shared_ptr<Document> document,
                                                              void (Queue::*take)(std::shared_ptr<Document>))
{
    if (!document)
        return nullptr;
    Document *const raw = document.get();
    // The deleter lives as long as the last weak reference: it lets go of the document at once.
    return std::shared_ptr<Document>(raw, [queue = std::weak_ptr(m_queue), take, owned = std::move(document)](Document *) mutable {
        auto last = std::move(owned);
        if (const auto alive = queue.lock())
            ((*alive).*take)(std::move(last));
    });
}

void DocumentDisposal::freeHeld()
{
    std::vector<std::shared_ptr<Document>> held;
    {
        const std::lock_guard lock(m_queue->mutex);
        held.swap(m_queue->held);
    }
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
