#pragma once

#include <QString>

#include <optional>

// Numbers and truth values as scripts and input boxes write them.

// The number numeric text stands for: blanks around it, an optional sign, digits with an
// optional fraction ("." as the decimal point) and an optional exponent. Null for other text.
[[nodiscard]] std::optional<double> parseNumericText(const QString &text);
[[nodiscard]] bool isNumericText(const QString &text);

// The text read as a number; TypeMismatch (13) when it is not numeric text.
[[nodiscard]] double toNumber(const QString &text);

// Rounded to the nearest whole number, an exact half to the even neighbour; Overflow (6)
// outside the range.
[[nodiscard]] qint16 toInt16(double number);
[[nodiscard]] qint32 toInt32(double number);
[[nodiscard]] qint16 toInt16(const QString &text);
[[nodiscard]] qint32 toInt32(const QString &text);

// "true" or "false" in any letter case, or a number (0 is false); TypeMismatch otherwise.
[[nodiscard]] bool toFlag(const QString &text);
