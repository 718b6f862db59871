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

// How many ASCII characters the text starts with. Blocks are tested whole, which the compiler
// turns into a few vector instructions per block.
qsizetype asciiPrefixLength(QStringView text)
{
    constexpr qsizetype Block = 16;
    const char16_t *const characters = text.utf16();
    qsizetype length = 0;
    for (; length + Block <= text.size(); length += Block) {
        char16_t bits = 0;
        for (qsizetype i = 0; i < Block; ++i)
            bits |= characters[length + i];
        if (bits >= 0x80)
            break;
    }
    while (length < text.size() && characters[length] < 0x80)
        ++length;
    return length;
}

// Appends the ASCII characters the text starts with, lowered; answers how many.
qsizetype appendLoweredAscii(QString &lower, QStringView text)
{
    const qsizetype count = asciiPrefixLength(text);
    const qsizetype start = lower.size();
    lower.resize(start + count);
    const char16_t *const from = text.utf16();
    char16_t *const to = reinterpret_cast<char16_t *>(lower.data()) + start;
    for (qsizetype i = 0; i < count; ++i) {
        const char16_t c = from[i];
        to[i] = char16_t(c + (char16_t(c - u'A') < 26 ? u'a' - u'A' : 0));
    }
    return count;
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
    const QStringView whole = text;
    QString lower;
    lower.reserve(text.size());
    text = text.sliced(appendLoweredAscii(lower, text));
    if (text.isEmpty())
        return lower;
    // Qt's reading of surrogates, paired or not, depends on what came before: leave them to it.
    if (std::any_of(text.begin(), text.end(), [](QChar c) { return c.isSurrogate(); }))
        return whole.toString().toLower();
    while (!text.isEmpty()) {
        // Case mappings have no context here, so a run of other characters is lowered on its own.
        const qsizetype other = std::find_if(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; })
            - text.begin();
        lower += text.first(other).toString().toLower();
        text = text.sliced(other);
        text = text.sliced(appendLoweredAscii(lower, text));
    }
    return lower;
}
