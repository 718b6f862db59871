#include "browser/builtin/view/LayoutWorker.h"

#include "browser/builtin/view/PageLayout.h"

#include <QMetaObject>
#include <QObject>

#include <algorithm>
#include <chrono>

struct LayoutWorker::Job {
    std::unique_ptr<PageLayout> layout;
    std::thread thread;
    // Under the worker's mutex: a step that ends cancelled frees the layout's boxes.
    bool stepDone = false;
    bool cancelled = false;
    bool placing = false;
    bool finished = false;
};

LayoutWorker::LayoutWorker(QObject &receiver, std::function<void()> finished)
    : m_receiver(receiver)
    , m_announce(std::move(finished))
{
}

LayoutWorker::~LayoutWorker()
{
    cancel();
    dropCancelled(true);
}

void LayoutWorker::start(std::unique_ptr<PageLayout> layout)
{
    cancel();
    m_job = std::make_unique<Job>();
    m_job->layout = std::move(layout);
    runStep([](PageLayout &reading) { reading.read(); });
}

void LayoutWorker::runStep(const std::function<void(PageLayout &)> &step)
{
    Job *job = m_job.get();
    job->stepDone = false;
    const unsigned serial = ++m_steps;
    job->thread = std::thread([this, job, step, serial] {
        step(*job->layout);
        {
            std::unique_lock lock(m_mutex);
            if (job->cancelled) {
                lock.unlock();
                job->layout->discard();
                lock.lock();
            }
            job->stepDone = true;
        }
        m_stepDoneChanged.notify_all();
        QMetaObject::invokeMethod(
            &m_receiver,
            [this, serial] {
                dropCancelled(false);
                if (serial != m_steps || !busy() || m_job->finished || !stepDone())
                    return;
                stepEnded();
                if (m_job->finished)
                    m_announce();
            },
            Qt::QueuedConnection);
    });
}

void LayoutWorker::stepEnded()
{
    m_job->thread.join();
    if (m_job->placing) {
        m_job->finished = true;
        return;
    }
    m_job->layout->prepare();
    m_job->placing = true;
    runStep([](PageLayout &placing) { placing.layOut(); });
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
            if (!m_stepDoneChanged.wait_for(lock, deadline.isForever() ? std::chrono::hours(24) : remaining,
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
    bool stepRunning = false;
    {
        const std::lock_guard lock(m_mutex);
        m_job->cancelled = true;
        stepRunning = m_job->thread.joinable() && !m_job->stepDone;
    }
    // A step still running frees the boxes itself when it ends.
    if (stepRunning)
        m_cancelled.push_back(std::move(m_job));
    else
        disposeCancelled(std::move(m_job));
    dropCancelled(false);
}

void LayoutWorker::dispose(std::unique_ptr<PageLayout> layout)
{
    if (!layout)
        return;
    auto job = std::make_unique<Job>();
    job->layout = std::move(layout);
    disposeCancelled(std::move(job));
    dropCancelled(false);
}

void LayoutWorker::disposeCancelled(std::unique_ptr<Job> job)
{
    if (job->thread.joinable())
        job->thread.join();
    job->stepDone = false;
    job->thread = std::thread([this, job = job.get()] {
        job->layout->discard();
        const std::lock_guard lock(m_mutex);
        job->stepDone = true;
    });
    m_cancelled.push_back(std::move(job));
}

void LayoutWorker::dropCancelled(bool all)
{
    const auto ended = [this, all](const std::unique_ptr<Job> &job) {
        if (!all) {
            const std::lock_guard lock(m_mutex);
            if (!job->stepDone)
                return false;
        }
        job->thread.join();
        return true;
    };
    m_cancelled.erase(std::remove_if(m_cancelled.begin(), m_cancelled.end(), ended), m_cancelled.end());
}
