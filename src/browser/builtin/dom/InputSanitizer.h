#pragma once

#include "browser/builtin/dom/Node.h"

#include <QString>

#include <optional>

namespace dom {

// The value sanitisation algorithm of an input type in the value mode ("text", "number",
// "color", "date", ...): what the input keeps of a value given to it.
[[nodiscard]] QString sanitizeValue(const QString &inputType, const QString &value, const Element &input);

// A valid floating-point number of HTML ("-1.5e3"), or nullopt.
[[nodiscard]] std::optional<double> parseFloatingPointNumber(const QString &text);
// The shortest text that reads back as the number, as scripts print numbers.
[[nodiscard]] QString numberText(double number);

} // namespace dom
