#include "engine/ScriptText.h"

#include "engine/ScriptError.h"
#include "engine/Values.h"

#include <chrono>
#include <random>

namespace {

const QString kLineBreak = QStringLiteral("\r\n");
const QString kVariableMarker = QStringLiteral("$$$");

// A generator seeded anew from the clock for every field, so that fields and runs differ.
double clockSeededRandom()
{
    const auto seed = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    std::mt19937_64 generator(static_cast<std::uint64_t>(seed));
    return std::uniform_real_distribution<double>(0.0, 1.0)(generator);
}

} // namespace

QStringList splitLines(const QString &text)
{
    if (text.isEmpty())
        return {};
    return text.split(kLineBreak);
}

QStringList splitFields(const QString &line)
{
    return line.split(QLatin1Char(';'));
}

QString ParseCommand(QString &field)
{
    if (!field.contains(QLatin1Char('#')))
        return field;
    const QStringList pieces = field.split(QLatin1Char('#'));
    if (pieces.size() < 3)
        throw ScriptError(SubscriptOutOfRange);
    const double limit = toNumber(pieces.at(1));
    field = QString::number(toInt32(clockSeededRandom() * limit));
    return field;
}

QString substituteVariable(const QString &line, const QString &text)
{
    return line.split(kVariableMarker).join(text);
}

bool hasVariableMarker(const QString &line)
{
    return line.contains(kVariableMarker);
}
