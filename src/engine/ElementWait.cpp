#include "engine/ElementWait.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <utility>

ElementWait::ElementWait(ActionTarget target, qint64 timeoutMs, int paceBefore, std::function<void()> action)
    : m_target(std::move(target))
    , m_timeoutMs(timeoutMs)
    , m_paceBefore(paceBefore)
    , m_action(std::move(action))
    , m_deadline(timeoutMs, Qt::PreciseTimer)
{
    m_started.start();
}

int ElementWait::nextLookMs() const
{
    return int(std::clamp<qint64>(m_deadline.remainingTime(), 0, kLookIntervalMs));
}

QString secondsText(qint64 milliseconds)
{
    return QString::number(double(milliseconds) / 1000.0, 'g', 10);
}

QString elementWaitStatus(const ActionTarget &target, qint64 timeoutMs, int line)
{
    return QStringLiteral("Waiting up to %1 s for %2 on line %3").arg(secondsText(timeoutMs), describeTarget(target)).arg(line);
}

std::optional<qint64> elementWaitMs(const QString &seconds)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(seconds.trimmed(), &ok);
    if (!ok || !std::isfinite(value) || value < 0 || value > ElementWait::kMaxSeconds)
        return std::nullopt;
    return qint64(std::llround(value * 1000.0));
}
