#include "engine/TextWait.h"

#include "engine/Values.h"

#include <algorithm>
#include <utility>

TextWait::TextWait(QString text, qint64 timeoutMs, int paceBefore)
    : m_text(std::move(text))
    , m_timeoutMs(timeoutMs)
    , m_paceBefore(paceBefore)
    , m_deadline(timeoutMs)
{
}

int TextWait::nextLookMs() const
{
    return int(std::clamp<qint64>(m_deadline.remainingTime(), 0, kLookIntervalMs));
}

qint64 waitTimeoutMs(const QString &seconds)
{
    return std::max<qint64>(0, toInt32(toNumber(seconds) * 1000.0));
}
