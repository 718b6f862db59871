#include "browser/builtin/view/LayoutWorker.h"

#include "browser/builtin/view/PageLayout.h"

#include <QMetaObject>
#include <QObject>

#include <algorithm>
#include <chrono>

struct LayoutWorker::Job {
    std::unique_ptr<PageLayout> layout;
    // Under the worker's mutex: whether the step queued last has ended (for a cancelled job, its
    // boxes are freed), and whether the job was cancelled.
    bool stepDone = false;
    bool cancelled = false;
    bool placing = false;
    bool finished = false;
};

LayoutWorker::LayoutWorker(QObject &receiver, std::function<void()> finished)
    : m_receiver(receiver)
    , m_announce(std::move(finished))
    , m_thread([this] { serve(); })
{
}

LayoutWorker::~LayoutWorker()
{
    cancel();
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void LayoutWorker::serve()
{
    std::unique_lock lock(m_mutex);
    while (true) {
        m_changed.wait(lock, [this] { return m_stopping || !m_tasks.empty(); });
        if (m_stopping)
            return;
        const std::function<void()> task = std::move(m_tasks.front());
        m_tasks.pop_front();
        m_serving = true;
        lock.unlock();
        task();
        lock.lock();
        m_serving = false;
        m_changed.notify_all();
    }
}

void LayoutWorker::settle()
{
    cancel();
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_tasks.empty() && !m_serving; });
    }
    dropDiscarded();
}

void LayoutWorker::start(std::unique_ptr<PageLayout> layout)
{
    cancel();
    m_job = std::make_unique<Job>();
    m_job->layout = std::move(layout);
    queueStep([](PageLayout &reading) { reading.read(); });
}

void LayoutWorker::queueStep(void (*step)(PageLayout &))
{
    Job *job = m_job.get();
    const unsigned serial = ++m_steps;
    const std::lock_guard lock(m_mutex);
    job->stepDone = false;
    m_tasks.emplace_back([this, job, step, serial] {
        {
            std::unique_lock lock(m_mutex);
            const bool cancelled = job->cancelled;
            lock.unlock();
            if (!cancelled)
                step(*job->layout);
            lock.lock();
            if (job->cancelled) {
                lock.unlock();
                job->layout->discard();
                lock.lock();
            }
            job->stepDone = true;
        }
        m_changed.notify_all();
        QMetaObject::invokeMethod(
            &m_receiver,
            [this, serial] {
                dropDiscarded();
                if (serial != m_steps || !busy() || m_job->finished || !stepDone())
                    return;
                stepEnded();
                if (m_job->finished)
                    m_announce();
            },
            Qt::QueuedConnection);
    });
    m_changed.notify_all();
}

void LayoutWorker::stepEnded()
{
    if (m_job->placing) {
        m_job->finished = true;
        return;
    }
    m_job->layout->prepare();
    m_job->placing = true;
    queueStep([](PageLayout &placing) { placing.layOut(); });
}

bool LayoutWorker::stepDone() const
{
    const std::lock_guard lock(m_mutex);
    return m_job->stepDone;
}

bool LayoutWorker::wait(QDeadlineTimer deadline)
{
    while (busy() && !m_job->finished) {
        {
            std::unique_lock lock(m_mutex);
            const auto remaining = std::chrono::milliseconds(std::max<qint64>(0, deadline.remainingTime()));
            if (!m_changed.wait_for(lock, deadline.isForever() ? std::chrono::hours(24) : remaining,
                                    [this] { return m_job->stepDone; }))
                return false;
        }
        stepEnded();
    }
    return busy();
}

std::unique_ptr<PageLayout> LayoutWorker::take()
{
    if (!busy() || !m_job->finished)
        return nullptr;
    std::unique_ptr<PageLayout> layout = std::move(m_job->layout);
    m_job.reset();
    return layout;
}

void LayoutWorker::cancel()
{
    if (!m_job)
        return;
    m_job->layout->cancel();
    bool stepPending = false;
    {
        const std::lock_guard lock(m_mutex);
        m_job->cancelled = true;
        stepPending = !m_job->stepDone;
    }
    // A step still queued or running frees the boxes itself.
    if (stepPending)
        m_cancelled.push_back(std::move(m_job));
    else
        queueDiscard(std::move(m_job));
    dropDiscarded();
}

void LayoutWorker::dispose(std::unique_ptr<PageLayout> layout)
{
    if (!layout)
        return;
    auto job = std::make_unique<Job>();
    job->layout = std::move(layout);
    job->cancelled = true;
    queueDiscard(std::move(job));
    dropDiscarded();
}

void LayoutWorker::queueDiscard(std::unique_ptr<Job> job)
{
    {
        const std::lock_guard lock(m_mutex);
        job->stepDone = false;
        m_tasks.emplace_back([this, discarded = job.get()] {
            discarded->layout->discard();
            const std::lock_guard lock(m_mutex);
            discarded->stepDone = true;
        });
    }
    m_changed.notify_all();
    m_cancelled.push_back(std::move(job));
}

void LayoutWorker::dropDiscarded()
{
    const std::lock_guard lock(m_mutex);
    m_cancelled.erase(std::remove_if(m_cancelled.begin(), m_cancelled.end(),
                                     [](const std::unique_ptr<Job> &job) { return job->stepDone; }),
                      m_cancelled.end());
}
