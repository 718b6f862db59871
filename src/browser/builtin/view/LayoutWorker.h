#pragma once

#include <QDeadlineTimer>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class PageLayout;
class QObject;

// Reads and lays out one page layout at a time on a thread of its own, so that a page that takes
// long to read, style or lay out never holds up the thread that shows it; the step between
// (PageLayout::prepare) runs on the receiver's thread. The finished layout is announced on the
// receiver's thread; a layout started anew or cancelled is never announced. Cancelling never
// waits: a cancelled layout ends and frees its boxes on the worker's thread, and is dropped when
// it has. One thread serves every layout of a view, so that the fonts it has loaded serve the next.
class LayoutWorker final {
public:
    LayoutWorker(QObject &receiver, std::function<void()> finished);
    ~LayoutWorker();
    LayoutWorker(const LayoutWorker &) = delete;
    LayoutWorker &operator=(const LayoutWorker &) = delete;

    // Starts reading and laying out the layout, cancelling the one still on its way.
    void start(std::unique_ptr<PageLayout> layout);
    // A layout was started and has not been taken or cancelled.
    [[nodiscard]] bool busy() const { return m_job != nullptr; }
    // Waits until the started layout is finished or the deadline passes, taking the step between
    // on this thread; true when finished.
    [[nodiscard]] bool wait(QDeadlineTimer deadline);
    // The finished layout, or null while it is not finished.
    [[nodiscard]] std::unique_ptr<PageLayout> take();
    // Stops the layout on its way and drops it.
    void cancel();
    // Frees a layout no longer shown on the worker's thread: a large page's boxes take a while.
    void dispose(std::unique_ptr<PageLayout> layout);
    // Cancels the layout on its way and waits until the worker's thread has nothing left to do,
    // for a view about to go: nothing of it then runs on while the program ends.
    void settle();

private:
    struct Job;

    // Queues the step of the started layout, its end announced on the receiver's thread.
    void queueStep(void (*step)(PageLayout &));
    // The step of the started layout that has ended: the next one is queued, or the layout is done.
    void stepEnded();
    [[nodiscard]] bool stepDone() const;
    // Queues the freeing of a cancelled job's boxes.
    void queueDiscard(std::unique_ptr<Job> job);
    // Drops the cancelled jobs whose boxes are freed.
    void dropDiscarded();
    void serve();

    QObject &m_receiver;
    const std::function<void()> m_announce;
    std::unique_ptr<Job> m_job;
    std::vector<std::unique_ptr<Job>> m_cancelled;
    // Under the mutex: the work for the thread, and whether it is to end.
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::function<void()>> m_tasks;
    bool m_serving = false;
    bool m_stopping = false;
    // Tells an announcement of a step since replaced from the one awaited.
    unsigned m_steps = 0;
    std::thread m_thread;
};
