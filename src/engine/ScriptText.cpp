#include "engine/ScriptText.h"

#include "engine/ScriptError.h"
#include "engine/Values.h"

#include <algorithm>
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

QString parseCommand(QString &field)
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

QString lowerCased(QStringView text)
{
    // Qt's reading of surrogates, paired or not, depends on what came before: leave them to it.
    if (std::any_of(text.begin(), text.end(), [](QChar c) { return c.isSurrogate(); }))
        return text.toString().toLower();
    const auto isAscii = [](QChar c) { return c.unicode() < 0x80; };
    QString lower;
    lower.reserve(text.size());
    while (!text.isEmpty()) {
        // Case mappings have no context here, so a run of other characters is lowered on its own.
        const qsizetype ascii = std::find_if_not(text.begin(), text.end(), isAscii) - text.begin();
        if (ascii == 0) {
            const qsizetype other = std::find_if(text.begin(), text.end(), isAscii) - text.begin();
            lower += text.first(other).toString().toLower();
            text = text.sliced(other);
            continue;
        }
        const qsizetype start = lower.size();
        lower += text.first(ascii);
        QChar *written = lower.data() + start;
        std::transform(written, written + ascii, written, [](QChar c) {
            return c >= u'A' && c <= u'Z' ? QChar(c.unicode() + (u'a' - u'A')) : c;
        });
        text = text.sliced(ascii);
    }
    return lower;
}
