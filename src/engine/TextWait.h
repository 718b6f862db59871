#pragma once

#include <QDeadlineTimer>
#include <QString>

// The wait of a "waitfor" line: its text, its time and the runner's pace to return to. The
// page is looked at again whenever one completes and every kLookIntervalMs, never busily.
class TextWait {
public:
    static constexpr qint64 kDefaultTimeoutMs = 10000;
    static constexpr int kLookIntervalMs = 250;

    TextWait(QString text, qint64 timeoutMs, int paceBefore);

    [[nodiscard]] const QString &text() const { return m_text; }
    [[nodiscard]] qint64 timeoutMs() const { return m_timeoutMs; }
    [[nodiscard]] int paceBefore() const { return m_paceBefore; }
    [[nodiscard]] bool expired() const { return m_deadline.hasExpired(); }
    // Until the next look: the interval, or less when the time runs out sooner.
    [[nodiscard]] int nextLookMs() const;

private:
    QString m_text;
    qint64 m_timeoutMs;
    int m_paceBefore;
    QDeadlineTimer m_deadline;
};

// The seconds field of a "waitfor" line as milliseconds: numeric text, a fraction allowed,
// 0 for a negative count; TypeMismatch (13) for other text, Overflow (6) past the 32-bit range.
[[nodiscard]] qint64 waitTimeoutMs(const QString &seconds);
