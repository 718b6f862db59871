#pragma once

#include <QString>
#include <QUrl>

#include <optional>

namespace dom {

// Parses an address as an HTML attribute gives it, against a base URL: surrounding spaces and
// control characters and any tab or line break inside are dropped; backslashes act as slashes
// in http-like addresses. nullopt when no valid URL results.
[[nodiscard]] std::optional<QUrl> parseUrl(const QString &input, const QUrl &base);

// The URL as the DOM gives it: percent-encoded, and "/" as the path of an http-like URL without one.
[[nodiscard]] QString serializeUrl(const QUrl &url);

// The URL as a Referer: without fragment and user information.
[[nodiscard]] QUrl referrerUrl(const QUrl &url);

} // namespace dom
