#pragma once

#include <QString>

// The browser's status code for a failure it gives no reason for (E_FAIL), described as
// "Unspecified error".
inline constexpr int kUnspecifiedError = -2147467259;

// A failure the browser reports: RemoteUnavailable (462) when the object, execution context,
// session or target a command names is gone, kUnspecifiedError with the browser's own text
// otherwise.
[[noreturn]] void throwProtocolError(const QString &message);

// A JavaScript exception thrown by a function run in the page.
[[noreturn]] void throwPageException(const QString &description);
