#pragma once

#include <QDeadlineTimer>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class PageLayout;
class QObject;

// Places the boxes of one page layout at a time on a thread of its own, so that a page that takes
// long to lay out never holds up the thread that shows it. The finished layout is announced on
// the receiver's thread; a layout started anew or cancelled is never announced.
class LayoutWorker final {
public:
    LayoutWorker(QObject &receiver, std::function<void()> finished);
    ~LayoutWorker();
    LayoutWorker(const LayoutWorker &) = delete;
    LayoutWorker &operator=(const LayoutWorker &) = delete;

    // Starts placing the layout's boxes, cancelling the one still being placed.
    void start(std::unique_ptr<PageLayout> layout);
    // A layout was started and has not been taken or cancelled.
    [[nodiscard]] bool busy() const { return m_layout != nullptr; }
    // Waits until the started layout is finished or the deadline passes; true when finished.
    [[nodiscard]] bool wait(QDeadlineTimer deadline);
    // The finished layout, or null while it is not finished.
    [[nodiscard]] std::unique_ptr<PageLayout> take();
    // Stops the layout being placed and drops it.
    void cancel();

private:
    [[nodiscard]] bool finished();

    QObject &m_receiver;
    const std::function<void()> m_announce;
    std::unique_ptr<PageLayout> m_layout;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_finishedChanged;
    bool m_finished = false;
    // Tells an announcement of a layout since replaced from the one awaited.
    unsigned m_started = 0;
};
