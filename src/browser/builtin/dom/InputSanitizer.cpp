#include "browser/builtin/dom/InputSanitizer.h"

#include "browser/builtin/dom/AsciiText.h"

#include <QDate>
#include <QLocale>
#include <QRegularExpression>

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace dom {
namespace {

[[nodiscard]] QString withoutLineBreaks(QString value)
{
    return value.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
}

[[nodiscard]] bool isValidDate(int year, int month, int day)
{
    return year > 0 && QDate(year, month, day).isValid();
}

[[nodiscard]] bool matchesDateLike(const QString &type, const QString &value)
{
    static const QRegularExpression date(QStringLiteral("^(\\d{4,})-(\\d\\d)-(\\d\\d)$"));
    static const QRegularExpression month(QStringLiteral("^(\\d{4,})-(\\d\\d)$"));
    static const QRegularExpression week(QStringLiteral("^(\\d{4,})-W(\\d\\d)$"));
    static const QRegularExpression time(QStringLiteral("^([01]\\d|2[0-3]):[0-5]\\d(:[0-5]\\d(\\.\\d{1,3})?)?$"));
    if (type == QLatin1StringView("date")) {
        const auto match = date.match(value);
        return match.hasMatch() && isValidDate(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    }
    if (type == QLatin1StringView("month")) {
        const auto match = month.match(value);
        const int number = match.captured(2).toInt();
        return match.hasMatch() && match.captured(1).toInt() > 0 && number >= 1 && number <= 12;
    }
    if (type == QLatin1StringView("week")) {
        const auto match = week.match(value);
        const int year = match.captured(1).toInt();
        const int number = match.captured(2).toInt();
        // A year has 53 weeks when it starts on a Thursday, or on a Wednesday in a leap year.
        const int firstDay = QDate(year, 1, 1).dayOfWeek();
        const int weeks = firstDay == 4 || (firstDay == 3 && QDate::isLeapYear(year)) ? 53 : 52;
        return match.hasMatch() && year > 0 && number >= 1 && number <= weeks;
    }
    if (type == QLatin1StringView("time"))
        return time.match(value).hasMatch();
    const qsizetype separator = value.indexOf(QRegularExpression(QStringLiteral("[T ]")));
    return separator > 0 && matchesDateLike(QStringLiteral("date"), value.left(separator))
        && matchesDateLike(QStringLiteral("time"), value.mid(separator + 1));
}

[[nodiscard]] double numberAttribute(const Element &input, QStringView name, double fallback)
{
    const auto number = parseFloatingPointNumber(input.attributeOrEmpty(name));
    return number ? *number : fallback;
}

// A range input always holds a number within its bounds, on its step.
[[nodiscard]] QString sanitizeRange(const QString &value, const Element &input)
{
    const double minimum = numberAttribute(input, u"min", 0);
    double maximum = numberAttribute(input, u"max", 100);
    if (maximum < minimum)
        maximum = minimum;
    const auto given = parseFloatingPointNumber(value);
    // Halves first: the width of a range near the largest doubles overflows.
    double number = given ? *given : minimum / 2 + maximum / 2;
    const QString stepText = input.attributeOrEmpty(u"step");
    if (stepText.compare(QLatin1StringView("any"), Qt::CaseInsensitive) != 0) {
        const auto parsedStep = parseFloatingPointNumber(stepText);
        const double step = parsedStep && *parsedStep > 0 ? *parsedStep : 1;
        // A step too fine for the distance from the minimum has no step count a double holds:
        // the value then stays as it is rather than becoming NaN.
        const double onStep = minimum + std::round((number - minimum) / step) * step;
        if (std::isfinite(onStep)) {
            number = onStep;
            if (number > maximum)
                number -= step * std::ceil((number - maximum) / step);
        }
    }
    return numberText(std::clamp(number, minimum, maximum));
}

[[nodiscard]] QString sanitizeEmail(const QString &value, const Element &input)
{
    if (!input.hasAttribute(u"multiple"))
        return stripAsciiWhitespace(withoutLineBreaks(value));
    QStringList addresses = value.split(QLatin1Char(','));
    for (QString &address : addresses)
        address = stripAsciiWhitespace(address);
    return addresses.join(QLatin1Char(','));
}

} // namespace

std::optional<double> parseFloatingPointNumber(const QString &text)
{
    static const QRegularExpression valid(QStringLiteral("^-?(\\d+(\\.\\d+)?|\\.\\d+)([eE][-+]?\\d+)?$"));
    if (!valid.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double number = text.toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return std::nullopt;
    return number == 0 ? 0.0 : number;
}

QString numberText(double number)
{
    return QString::number(number, 'g', QLocale::FloatingPointShortest);
}

QString sanitizeValue(const QString &inputType, const QString &value, const Element &input)
{
    const QString &type = inputType;
    if (type == QLatin1StringView("url"))
        return stripAsciiWhitespace(withoutLineBreaks(value));
    if (type == QLatin1StringView("email"))
        return sanitizeEmail(value, input);
    if (type == QLatin1StringView("number"))
        return parseFloatingPointNumber(value) ? value : QString();
    if (type == QLatin1StringView("range"))
        return sanitizeRange(value, input);
    if (type == QLatin1StringView("color")) {
        static const QRegularExpression simpleColor(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
        return simpleColor.match(value).hasMatch() ? asciiLowercase(value) : QStringLiteral("#000000");
    }
    if (type == QLatin1StringView("date") || type == QLatin1StringView("month") || type == QLatin1StringView("week")
        || type == QLatin1StringView("time")) {
        return matchesDateLike(type, value) ? value : QString();
    }
    if (type == QLatin1StringView("datetime-local"))
        return matchesDateLike(type, value) ? QString(value).replace(QLatin1Char(' '), QLatin1Char('T')) : QString();
    return withoutLineBreaks(value);
}

} // namespace dom
