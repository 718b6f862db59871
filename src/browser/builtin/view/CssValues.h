#pragma once

#include <QHash>
#include <QString>
#include <QStringView>

#include <optional>

// The value of a CSS declaration as the layout engine can read it: custom properties (var())
// put in, calc(), min(), max() and clamp() computed, hsl() and light-dark() made plain colours,
// numeric font weights made keywords. nullopt when the declaration cannot be used at all (an
// unknown custom property without a fallback), as a browser then drops it.
class CssValues {
public:
    // A custom property's value, by its name with the leading dashes.
    using CustomProperties = QHash<QString, QString>;

    explicit CssValues(const CustomProperties &custom) : m_custom(custom) {}

    [[nodiscard]] std::optional<QString> resolve(QStringView property, QStringView value) const;

    // The value with var() put in; nullopt when one is unknown and has no fallback.
    [[nodiscard]] std::optional<QString> substituteVariables(QStringView value) const;

private:
    [[nodiscard]] bool substitute(QStringView value, QString &out, int depth) const;

    const CustomProperties &m_custom;
};

// Calls `visit(index, character)` for each character of the text from `from` on that lies
// outside quoted strings, until it returns false; whether the scan ended outside a string.
template <typename Visit> bool scanOutsideStrings(QStringView text, qsizetype from, Visit visit)
{
    QChar quote;
    for (qsizetype i = from; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!quote.isNull()) {
            if (c == u'\\')
                ++i;
            else if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (!visit(i, c)) {
            break;
        }
    }
    return quote.isNull();
}

// Where the parenthesis opened just before `from` closes, or the end.
[[nodiscard]] qsizetype closingParenthesis(QStringView text, qsizetype from);

// The value with calc(), min(), max() and clamp() computed and hsl(), hsla(), light-dark() and
// space-separated rgb() written as the colours the layout engine reads.
[[nodiscard]] QString computeFunctions(QStringView value);
