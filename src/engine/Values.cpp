#include "engine/Values.h"

#include "engine/ScriptError.h"

#include <QRegularExpression>

#include <cfenv>
#include <cmath>
#include <limits>

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QStringView trimBlanks(QStringView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.mid(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

template<typename Int>
Int roundToRange(double number)
{
    if (std::isnan(number))
        throw ScriptError(Overflow);
    // nearbyint rounds an exact half to the even neighbour in the default rounding mode.
    const double rounded = std::nearbyint(number);
    if (rounded < double(std::numeric_limits<Int>::min()) || rounded > double(std::numeric_limits<Int>::max()))
        throw ScriptError(Overflow);
    return static_cast<Int>(rounded);
}

} // namespace

std::optional<double> parseNumericText(const QString &text)
{
    static const QRegularExpression numeric(
        QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
    const QStringView trimmed = trimBlanks(text);
    if (!numeric.match(trimmed.toString()).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double number = trimmed.toDouble(&ok);
    // The text has the form of a number, so a failed reading is out of the double's range:
    // too large reads as infinity (an overflow once converted), too small as zero.
    if (!ok && !std::isinf(number))
        return 0.0;
    return number;
}

bool isNumericText(const QString &text)
{
    return parseNumericText(text).has_value();
}

double toNumber(const QString &text)
{
    const auto number = parseNumericText(text);
    if (!number)
        throw ScriptError(TypeMismatch);
    return *number;
}

qint16 toInt16(double number)
{
    return roundToRange<qint16>(number);
}

qint32 toInt32(double number)
{
    return roundToRange<qint32>(number);
}

qint16 toInt16(const QString &text)
{
    return toInt16(toNumber(text));
}

qint32 toInt32(const QString &text)
{
    return toInt32(toNumber(text));
}

bool toFlag(const QString &text)
{
    const QStringView word = trimBlanks(text);
    if (word.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    return toNumber(text) != 0.0;
}
