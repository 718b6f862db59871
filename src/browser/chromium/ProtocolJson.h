#pragma once

#include <QJsonObject>
#include <QString>

// A text field of a protocol message; empty when it is missing or not text.
[[nodiscard]] inline QString jsonText(const QJsonObject &object, const char *key)
{
    return object.value(QLatin1String(key)).toString();
}
