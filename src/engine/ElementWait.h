#pragma once

#include "engine/ActionTarget.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>

#include <QString>

#include <functional>
#include <optional>

// The wait of a line whose target is not on the page yet: the target, the action to run once
// it is there (or once the time is up), and the runner's pace to return to. The page is looked
// at again every kLookIntervalMs, and at once when it changes, never busily.
class ElementWait {
public:
    static constexpr int kLookIntervalMs = 100;
    static constexpr qint64 kChromiumDefaultMs = 10000;
    static constexpr qint64 kBuiltinDefaultMs = 0; // it runs no script: nothing comes later
    static constexpr double kMaxSeconds = 3600;

    ElementWait(ActionTarget target, qint64 timeoutMs, int paceBefore, std::function<void()> action);

    [[nodiscard]] const ActionTarget &target() const { return m_target; }
    [[nodiscard]] qint64 timeoutMs() const { return m_timeoutMs; }
    [[nodiscard]] int paceBefore() const { return m_paceBefore; }
    [[nodiscard]] bool expired() const { return m_deadline.hasExpired(); }
    [[nodiscard]] qint64 waitedMs() const { return m_started.elapsed(); }
    // Until the next look: the interval, or less when the time runs out sooner.
    [[nodiscard]] int nextLookMs() const;
    void act() const { m_action(); }

private:
    ActionTarget m_target;
    qint64 m_timeoutMs;
    int m_paceBefore;
    std::function<void()> m_action;
    QDeadlineTimer m_deadline;
    QElapsedTimer m_started;
};

// "Waiting up to 10 s for the link "Late offers" on line 2": what the status says meanwhile.
[[nodiscard]] QString elementWaitStatus(const ActionTarget &target, qint64 timeoutMs, int line);
// Seconds as a message gives them: "10", "0.5", "1.25".
[[nodiscard]] QString secondsText(qint64 milliseconds);
// The seconds of an element wait as milliseconds; nullopt for text that is no count of seconds
// from 0 to kMaxSeconds.
[[nodiscard]] std::optional<qint64> elementWaitMs(const QString &seconds);
