#include "browser/chromium/NestedWait.h"

NestedWait::NestedWait(int timeoutMs)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(timeoutMs);
    QObject::connect(&m_timer, &QTimer::timeout, &m_loop, &QEventLoop::quit);
}

void NestedWait::finish()
{
    m_finished = true;
    m_loop.quit();
}

bool NestedWait::wait()
{
    if (m_finished)
        return true;
    m_timer.start();
    m_loop.exec();
    m_timer.stop();
    return m_finished;
}
