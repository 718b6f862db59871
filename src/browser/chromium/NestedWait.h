#pragma once

#include <QEventLoop>
#include <QTimer>

// Waits in a nested event loop until finish() is called or the time limit passes. Timer ticks,
// browser events and other waits run meanwhile, as they would during a call to an automation
// server.
class NestedWait {
public:
    explicit NestedWait(int timeoutMs);
    NestedWait(const NestedWait &) = delete;
    NestedWait &operator=(const NestedWait &) = delete;

    void finish();
    // True when finish() came before the time limit.
    [[nodiscard]] bool wait();

private:
    QEventLoop m_loop;
    QTimer m_timer;
    bool m_finished = false;
};
