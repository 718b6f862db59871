#include "engine/RunRecord.h"

QString outcomeName(LineOutcome outcome)
{
    switch (outcome) {
    case LineOutcome::Ran: return QStringLiteral("ran");
    case LineOutcome::Halted: return QStringLiteral("halted");
    case LineOutcome::Restarted: return QStringLiteral("restarted");
    case LineOutcome::Unfinished: return QStringLiteral("unfinished");
    case LineOutcome::LoadFailed: return QStringLiteral("load_failed");
    }
    return {};
}

QString lineLabel(const LineRecord &record)
{
    return QStringLiteral("line %1 \"%2\"").arg(record.line).arg(record.text);
}
