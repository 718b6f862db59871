#include "engine/ScriptText.h"

#include "engine/ScriptError.h"
#include "engine/Values.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <utility>

const QString kVariableMarker = QStringLiteral("$$$");

namespace {

const QString kLineBreak = QStringLiteral("\r\n");

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

// Lowers the ASCII characters the text starts with, in place; answers how many.
qsizetype lowerAsciiPrefix(char16_t *text, qsizetype size)
{
    const qsizetype count = asciiPrefixLength(QStringView(text, size));
    for (qsizetype i = 0; i < count; ++i)
        text[i] = char16_t(text[i] + (char16_t(text[i] - u'A') < 26 ? u'a' - u'A' : 0));
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

QString lowerCased(QString text)
{
    // Qt's reading of surrogates, paired or not, depends on what came before: leave them to it.
    if (std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSurrogate(); }))
        return std::as_const(text).toLower();
    // In the text's own buffer: a page's HTML is lowered without a second copy of it.
    char16_t *const data = reinterpret_cast<char16_t *>(text.data());
    const qsizetype size = text.size();
    qsizetype at = lowerAsciiPrefix(data, size);
    while (at < size) {
        // Case mappings have no context here, so a run of other characters is lowered on its own.
        const qsizetype end = std::find_if(data + at, data + size, [](char16_t c) { return c < 0x80; }) - data;
        const QString lowered = QStringView(data + at, end - at).toString().toLower();
        if (lowered.size() != end - at)
            return text.first(at) + lowered + lowerCased(text.sliced(end));
        std::copy(lowered.utf16(), lowered.utf16() + lowered.size(), data + at);
        at = end + lowerAsciiPrefix(data + end, size - end);
    }
    return text;
}
