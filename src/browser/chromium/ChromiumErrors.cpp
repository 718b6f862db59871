#include "browser/chromium/ChromiumErrors.h"

#include "engine/ScriptError.h"

#include <array>

namespace {

// Phrases of the browser's refusals that mean the thing addressed no longer exists.
constexpr std::array kGonePhrases = {
    "context",     // Cannot find context with specified id; Execution context was destroyed
    "not find",    // Could not find object with given id
    "not found",   // Session with given id not found
    "No target",   // No target with given id found
    "No session",  // No session with given id
    "No frame",    // No frame for given id found
    "closed",      // Target closed; Inspected target navigated or closed
    "destroyed",
    "detached",
};

} // namespace

void throwProtocolError(const QString &message)
{
    for (const char *phrase : kGonePhrases) {
        if (message.contains(QLatin1String(phrase), Qt::CaseInsensitive))
            throw ScriptError(RemoteUnavailable);
    }
    throw ScriptError(kUnspecifiedError, message.isEmpty() ? QStringLiteral("Unspecified error") : message);
}

void throwPageException(const QString &description)
{
    throw ScriptError(kUnspecifiedError, description.isEmpty() ? QStringLiteral("Unspecified error") : description);
}
