#include "browser/builtin/view/LayoutWorker.h"

#include "browser/builtin/view/PageLayout.h"

#include <QMetaObject>
#include <QObject>

#include <chrono>

LayoutWorker::LayoutWorker(QObject &receiver, std::function<void()> finished)
    : m_receiver(receiver)
    , m_announce(std::move(finished))
{
}

LayoutWorker::~LayoutWorker()
{
    cancel();
}

void LayoutWorker::start(std::unique_ptr<PageLayout> layout)
{
    cancel();
    m_layout = std::move(layout);
    m_finished = false;
    const unsigned started = ++m_started;
    m_thread = std::thread([this, layout = m_layout.get(), started] {
        layout->layOut();
        {
            const std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_finishedChanged.notify_all();
        QMetaObject::invokeMethod(
            &m_receiver,
            [this, started] {
                if (started == m_started && busy())
                    m_announce();
            },
            Qt::QueuedConnection);
    });
}

bool LayoutWorker::wait(QDeadlineTimer deadline)
{
    if (!busy())
        return false;
    std::unique_lock lock(m_mutex);
    const auto remaining = std::chrono::milliseconds(std::max<qint64>(0, deadline.remainingTime()));
    return m_finishedChanged.wait_for(lock, deadline.isForever() ? std::chrono::hours(24) : remaining,
                                      [this] { return m_finished; });
}

std::unique_ptr<PageLayout> LayoutWorker::take()
{
    if (!busy() || !finished())
        return nullptr;
    m_thread.join();
    return std::move(m_layout);
}

void LayoutWorker::cancel()
{
    if (!m_thread.joinable())
        return;
    m_layout->cancel();
    m_thread.join();
    m_layout.reset();
}

bool LayoutWorker::finished()
{
    const std::lock_guard lock(m_mutex);
    return m_finished;
}
