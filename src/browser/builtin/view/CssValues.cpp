#include "browser/builtin/view/CssValues.h"

#include <QColor>
#include <QList>

#include <algorithm>
#include <cmath>

namespace {

// var() inside custom properties inside var(): deeper than this is taken for a loop.
constexpr int MaxVariableDepth = 16;
// A value that grows past this while its var()s are put in is given up: values that name a
// property twice, that names one twice, ... double at each step.
constexpr qsizetype MaxSubstitutedLength = 64 * 1024;
// The font size em and rem are taken at where a computed length mixes them with pixels.
constexpr double ReferenceFontSize = 16;

[[nodiscard]] bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'-' || c == u'_';
}

// The arguments of a function, split at its top-level commas.
[[nodiscard]] QList<QStringView> arguments(QStringView inner)
{
    QList<QStringView> parts;
    qsizetype start = 0;
    int depth = 0;
    for (qsizetype i = 0; i < inner.size(); ++i) {
        const QChar c = inner[i];
        if (c == u'(')
            ++depth;
        else if (c == u')')
            --depth;
        else if (c == u',' && depth == 0) {
            parts.append(inner.sliced(start, i - start).trimmed());
            start = i + 1;
        }
    }
    parts.append(inner.sliced(start).trimmed());
    return parts;
}

[[nodiscard]] QString formatNumber(double number)
{
    QString text = QString::number(number, 'f', 3);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text == QLatin1StringView("-0") ? QStringLiteral("0") : text;
}

// A length, percentage or number as a sum of amounts by unit ("" for a plain number).
struct Quantity {
    QHash<QString, double> parts;

    [[nodiscard]] bool isNumber() const { return parts.size() == 1 && parts.contains(QString()); }
    [[nodiscard]] double number() const { return parts.value(QString()); }
};

[[nodiscard]] double pixelsPer(const QString &unit)
{
    if (unit == u"px")
        return 1;
    if (unit == u"pt")
        return 96.0 / 72;
    if (unit == u"pc")
        return 16;
    if (unit == u"in")
        return 96;
    if (unit == u"cm")
        return 96 / 2.54;
    if (unit == u"mm")
        return 96 / 25.4;
    if (unit == u"q")
        return 96 / 101.6;
    return 0;
}

// The quantity with lengths of fixed size in pixels, zero amounts dropped.
[[nodiscard]] Quantity normalised(const Quantity &quantity)
{
    Quantity result;
    for (auto part = quantity.parts.begin(); part != quantity.parts.end(); ++part) {
        const double factor = pixelsPer(part.key());
        if (factor > 0)
            result.parts[QStringLiteral("px")] += part.value() * factor;
        else
            result.parts[part.key()] += part.value();
    }
    result.parts.removeIf([](const auto &part) { return part.value() == 0; });
    if (result.parts.isEmpty())
        result.parts[QString()] = 0;
    return result;
}

// One unit the layout engine can read for a quantity that mixes several: a percentage or
// viewport length wins (the layout's own measure), else the font-relative ones at the usual
// font size, added to the pixels.
[[nodiscard]] std::optional<QString> singleUnit(const Quantity &quantity)
{
    const Quantity q = normalised(quantity);
    if (q.parts.size() == 1)
        return formatNumber(q.parts.cbegin().value()) + q.parts.cbegin().key();
    for (const char *relative : {"%", "vw", "vh", "vmin", "vmax"})
        if (q.parts.contains(QLatin1StringView(relative)))
            return formatNumber(q.parts.value(QLatin1StringView(relative))) + QLatin1StringView(relative);
    double pixels = 0;
    for (auto part = q.parts.cbegin(); part != q.parts.cend(); ++part) {
        if (part.key() == u"px")
            pixels += part.value();
        else if (part.key() == u"em" || part.key() == u"rem")
            pixels += part.value() * ReferenceFontSize;
        else if (part.key() == u"ex" || part.key() == u"ch")
            pixels += part.value() * ReferenceFontSize / 2;
        else
            return std::nullopt;
    }
    return formatNumber(pixels) + QStringLiteral("px");
}

// A recursive-descent reader of the expressions inside calc(), min(), max() and clamp().
class MathReader {
public:
    explicit MathReader(QStringView text) : m_text(text) {}

    [[nodiscard]] std::optional<Quantity> whole()
    {
        auto value = sum();
        skipSpace();
        if (!value || m_pos != m_text.size())
            return std::nullopt;
        return value;
    }

private:
    void skipSpace()
    {
        while (m_pos < m_text.size() && m_text[m_pos].isSpace())
            ++m_pos;
    }

    [[nodiscard]] std::optional<Quantity> sum()
    {
        auto left = product();
        while (left) {
            skipSpace();
            if (m_pos >= m_text.size() || (m_text[m_pos] != u'+' && m_text[m_pos] != u'-'))
                break;
            const double sign = m_text[m_pos++] == u'+' ? 1 : -1;
            const auto right = product();
            if (!right)
                return std::nullopt;
            for (auto part = right->parts.cbegin(); part != right->parts.cend(); ++part)
                left->parts[part.key()] += sign * part.value();
        }
        return left;
    }

    [[nodiscard]] std::optional<Quantity> product()
    {
        auto left = operand();
        while (left) {
            skipSpace();
            if (m_pos >= m_text.size() || (m_text[m_pos] != u'*' && m_text[m_pos] != u'/'))
                break;
            const bool divide = m_text[m_pos++] == u'/';
            const auto right = operand();
            if (!right)
                return std::nullopt;
            if (divide || left->isNumber()) {
                if (!right->isNumber() && divide)
                    return std::nullopt;
                const Quantity &scaled = divide ? *left : *right;
                const double factor = divide ? (right->number() == 0 ? 0 : 1 / right->number()) : left->number();
                if (divide && right->number() == 0)
                    return std::nullopt;
                Quantity result = scaled;
                for (double &amount : result.parts)
                    amount *= factor;
                left = result;
            } else if (right->isNumber()) {
                for (double &amount : left->parts)
                    amount *= right->number();
            } else {
                return std::nullopt;
            }
        }
        return left;
    }

    [[nodiscard]] std::optional<Quantity> operand()
    {
        skipSpace();
        if (m_pos >= m_text.size())
            return std::nullopt;
        if (m_text[m_pos] == u'(') {
            const qsizetype close = closingParenthesis(m_text, m_pos + 1);
            const auto inner = MathReader(m_text.sliced(m_pos + 1, close - m_pos - 1)).whole();
            m_pos = std::min(close + 1, m_text.size());
            return inner;
        }
        qsizetype nameEnd = m_pos;
        while (nameEnd < m_text.size() && m_text[nameEnd].isLetter())
            ++nameEnd;
        if (nameEnd > m_pos && nameEnd < m_text.size() && m_text[nameEnd] == u'(') {
            const QString name = m_text.sliced(m_pos, nameEnd - m_pos).toString().toLower();
            const qsizetype close = closingParenthesis(m_text, nameEnd + 1);
            const QStringView inner = m_text.sliced(nameEnd + 1, close - nameEnd - 1);
            m_pos = std::min(close + 1, m_text.size());
            return function(name, inner);
        }
        return number();
    }

    [[nodiscard]] std::optional<Quantity> number()
    {
        const qsizetype start = m_pos;
        if (m_pos < m_text.size() && (m_text[m_pos] == u'+' || m_text[m_pos] == u'-'))
            ++m_pos;
        while (m_pos < m_text.size() && (m_text[m_pos].isDigit() || m_text[m_pos] == u'.'))
            ++m_pos;
        bool ok = false;
        const double amount = m_text.sliced(start, m_pos - start).toDouble(&ok);
        if (!ok)
            return std::nullopt;
        const qsizetype unitStart = m_pos;
        while (m_pos < m_text.size() && (m_text[m_pos].isLetter() || m_text[m_pos] == u'%'))
            ++m_pos;
        Quantity quantity;
        quantity.parts[m_text.sliced(unitStart, m_pos - unitStart).toString().toLower()] = amount;
        return quantity;
    }

    [[nodiscard]] static std::optional<Quantity> function(const QString &name, QStringView inner)
    {
        if (name == u"calc")
            return MathReader(inner).whole();
        if (name != u"min" && name != u"max" && name != u"clamp")
            return std::nullopt;
        QList<Quantity> values;
        for (const QStringView argument : arguments(inner)) {
            auto value = MathReader(argument).whole();
            if (!value)
                return std::nullopt;
            values.append(normalised(*value));
        }
        if (values.isEmpty() || (name == u"clamp" && values.size() != 3))
            return std::nullopt;
        // Only amounts of one unit compare; otherwise the preferred (clamp) or first one stands.
        const auto comparable = [&values] {
            return std::all_of(values.cbegin(), values.cend(), [&values](const Quantity &each) {
                return each.parts.size() == 1 && each.parts.cbegin().key() == values.front().parts.cbegin().key();
            });
        };
        if (!comparable())
            return name == u"clamp" ? values[1] : values.front();
        const auto amount = [](const Quantity &each) { return each.parts.cbegin().value(); };
        const auto lesser = [&amount](const Quantity &a, const Quantity &b) { return amount(a) < amount(b); };
        if (name == u"clamp")
            return amount(values[1]) < amount(values[0]) ? values[0] : amount(values[1]) > amount(values[2]) ? values[2] : values[1];
        return name == u"min" ? *std::min_element(values.cbegin(), values.cend(), lesser)
                              : *std::max_element(values.cbegin(), values.cend(), lesser);
    }

    QStringView m_text;
    qsizetype m_pos = 0;
};

// A colour component: a number, or a percentage of `whole`.
[[nodiscard]] std::optional<double> component(QStringView text, double whole)
{
    bool ok = false;
    if (text.endsWith(u'%')) {
        const double percent = text.chopped(1).toDouble(&ok);
        return ok ? std::optional(percent * whole / 100) : std::nullopt;
    }
    const double value = text.toDouble(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

[[nodiscard]] std::optional<double> hue(QStringView text)
{
    bool ok = false;
    double degrees = 0;
    if (text.endsWith(QLatin1StringView("deg")))
        degrees = text.chopped(3).toDouble(&ok);
    else if (text.endsWith(QLatin1StringView("turn")))
        degrees = text.chopped(4).toDouble(&ok) * 360;
    else if (text.endsWith(QLatin1StringView("grad")))
        degrees = text.chopped(4).toDouble(&ok) * 0.9;
    else if (text.endsWith(QLatin1StringView("rad")))
        degrees = text.chopped(3).toDouble(&ok) * 180 / M_PI;
    else
        degrees = text.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    degrees = std::fmod(degrees, 360);
    return degrees < 0 ? degrees + 360 : degrees;
}

// The components of a colour function, in either its comma or its space-and-slash form.
[[nodiscard]] QList<QStringView> colourComponents(QStringView inner)
{
    if (inner.contains(u','))
        return arguments(inner);
    QList<QStringView> parts;
    for (const QStringView part : inner.split(u' ', Qt::SkipEmptyParts))
        if (part != u"/")
            parts.append(part);
    if (const qsizetype slash = inner.indexOf(u'/'); slash >= 0 && parts.size() == 3)
        parts.append(inner.sliced(slash + 1).trimmed());
    return parts;
}

[[nodiscard]] QString rgbaText(const QColor &colour)
{
    if (colour.alphaF() >= 1)
        return QStringLiteral("rgb(%1,%2,%3)").arg(colour.red()).arg(colour.green()).arg(colour.blue());
    return QStringLiteral("rgba(%1,%2,%3,%4)")
        .arg(colour.red())
        .arg(colour.green())
        .arg(colour.blue())
        .arg(formatNumber(colour.alphaF()));
}

[[nodiscard]] std::optional<QString> colourFunction(const QString &name, QStringView inner)
{
    const QList<QStringView> parts = colourComponents(inner);
    if (parts.size() < 3 || parts.size() > 4)
        return std::nullopt;
    const std::optional<double> alpha = parts.size() == 4 ? component(parts[3], 1) : std::optional(1.0);
    if (!alpha)
        return std::nullopt;
    QColor colour;
    if (name.startsWith(u"hsl")) {
        const auto h = hue(parts[0]);
        const auto s = component(parts[1], 1);
        const auto l = component(parts[2], 1);
        if (!h || !s || !l)
            return std::nullopt;
        const auto fraction = [](double v) { return std::clamp(v > 1 ? v / 100 : v, 0.0, 1.0); };
        colour = QColor::fromHslF(float(*h / 360), float(fraction(*s)), float(fraction(*l)));
    } else {
        double rgb[3];
        for (int i = 0; i < 3; ++i) {
            const auto value = component(parts[i], 255);
            if (!value)
                return std::nullopt;
            rgb[i] = std::clamp(*value, 0.0, 255.0);
        }
        colour = QColor(int(std::lround(rgb[0])), int(std::lround(rgb[1])), int(std::lround(rgb[2])));
    }
    colour.setAlphaF(float(std::clamp(*alpha, 0.0, 1.0)));
    return rgbaText(colour);
}

[[nodiscard]] bool isHexDigit(QChar c)
{
    return c.isDigit() || (c.toLower() >= u'a' && c.toLower() <= u'f');
}

// A #rgba or #rrggbbaa colour at `at`, as rgba(); nullopt for any other.
[[nodiscard]] std::optional<QString> hexWithAlpha(QStringView text, qsizetype at, qsizetype &length)
{
    length = 1;
    while (at + length < text.size() && isHexDigit(text[at + length]))
        ++length;
    if (at + length < text.size() && isNameChar(text[at + length]))
        return std::nullopt;
    const QStringView digits = text.sliced(at + 1, length - 1);
    if (digits.size() != 4 && digits.size() != 8)
        return std::nullopt;
    const int width = int(digits.size() / 4);
    int channels[4];
    for (int i = 0; i < 4; ++i) {
        channels[i] = digits.sliced(i * width, width).toInt(nullptr, 16);
        if (width == 1)
            channels[i] *= 17;
    }
    QColor colour(channels[0], channels[1], channels[2]);
    colour.setAlpha(channels[3]);
    return rgbaText(colour);
}

} // namespace

qsizetype closingParenthesis(QStringView text, qsizetype from)
{
    int depth = 1;
    qsizetype closing = text.size();
    scanOutsideStrings(text, from, [&](qsizetype i, QChar c) {
        if (c == u'(')
            ++depth;
        else if (c == u')' && --depth == 0)
            closing = i;
        return closing == text.size();
    });
    return closing;
}

QString computeFunctions(QStringView value)
{
    QString out;
    out.reserve(value.size());
    qsizetype i = 0;
    while (i < value.size()) {
        const QChar c = value[i];
        if (c == u'#' && (i == 0 || !isNameChar(value[i - 1]))) {
            qsizetype length = 0;
            if (const auto colour = hexWithAlpha(value, i, length)) {
                out += *colour;
                i += length;
                continue;
            }
        }
        if (!c.isLetter() && c != u'-') {
            out += c;
            ++i;
            continue;
        }
        qsizetype nameEnd = i;
        while (nameEnd < value.size() && isNameChar(value[nameEnd]))
            ++nameEnd;
        const QStringView word = value.sliced(i, nameEnd - i);
        if (nameEnd >= value.size() || value[nameEnd] != u'(') {
            out += word;
            i = nameEnd;
            continue;
        }
        const qsizetype close = closingParenthesis(value, nameEnd + 1);
        const QStringView inner = value.sliced(nameEnd + 1, close - nameEnd - 1);
        const QStringView call = value.sliced(i, std::min(close + 1, value.size()) - i);
        i = std::min(close + 1, value.size());
        const QString name = word.toString().toLower();
        if (name == u"url") {
            out += call;
        } else if (name == u"calc" || name == u"min" || name == u"max" || name == u"clamp") {
            const QString computedInner = computeFunctions(inner);
            const auto quantity = MathReader(QString(name + u'(' + computedInner + u')')).whole();
            const auto text = quantity ? singleUnit(*quantity) : std::nullopt;
            out += text ? *text : call.toString();
        } else if (name == u"hsl" || name == u"hsla" || name == u"rgb" || name == u"rgba") {
            const auto colour = colourFunction(name, computeFunctions(inner));
            out += colour ? *colour : call.toString();
        } else if (name == u"light-dark") {
            out += computeFunctions(arguments(inner).front());
        } else {
            out += word;
            out += u'(';
            out += computeFunctions(inner);
            out += u')';
        }
    }
    return out;
}

bool CssValues::substitute(QStringView value, QString &out, int depth) const
{
    if (depth > MaxVariableDepth)
        return false;
    qsizetype i = 0;
    while (i < value.size()) {
        const qsizetype found = value.indexOf(QLatin1StringView("var("), i, Qt::CaseInsensitive);
        if (found < 0 || (found > 0 && isNameChar(value[found - 1]))) {
            const qsizetype end = found < 0 ? value.size() : found + 4;
            out += value.sliced(i, end - i);
            i = end;
            continue;
        }
        out += value.sliced(i, found - i);
        const qsizetype close = closingParenthesis(value, found + 4);
        const QStringView inner = value.sliced(found + 4, close - found - 4);
        i = std::min(close + 1, value.size());
        const qsizetype comma = inner.indexOf(u',');
        const QString name = (comma < 0 ? inner : inner.first(comma)).trimmed().toString();
        const auto known = m_custom.constFind(name);
        const qsizetype mark = out.size();
        if (known == m_custom.constEnd() || !substitute(*known, out, depth + 1)) {
            out.truncate(mark);
            if (comma < 0 || !substitute(inner.sliced(comma + 1).trimmed(), out, depth + 1))
                return false;
        }
        if (out.size() > MaxSubstitutedLength)
            return false;
    }
    return true;
}

std::optional<QString> CssValues::substituteVariables(QStringView value) const
{
    if (!value.contains(QLatin1StringView("var("), Qt::CaseInsensitive))
        return value.toString();
    QString out;
    if (!substitute(value, out, 0))
        return std::nullopt;
    return out;
}

std::optional<QString> CssValues::resolve(QStringView property, QStringView value) const
{
    const auto substituted = substituteVariables(value);
    if (!substituted)
        return std::nullopt;
    QString computed = computeFunctions(*substituted).trimmed();
    if (property == u"font-weight" || property == u"font") {
        QStringList words = computed.split(u' ');
        for (QString &word : words) {
            bool numeric = false;
            const int weight = word.toInt(&numeric);
            if (numeric && weight >= 100 && weight <= 1000 && weight % 100 == 0)
                word = weight >= 600 ? QStringLiteral("bold") : QStringLiteral("normal");
        }
        computed = words.join(u' ');
    } else if (property == u"position" && computed.compare(QLatin1StringView("sticky"), Qt::CaseInsensitive) == 0) {
        computed = QStringLiteral("relative");
    }
    return computed;
}
