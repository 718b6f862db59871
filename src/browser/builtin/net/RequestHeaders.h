#pragma once

#include "browser/builtin/net/HttpTransfer.h"
#include "browser/builtin/dom/NavigationRequest.h"

#include <QByteArray>
#include <QUrl>

// The User-Agent every request of the built-in browser carries.
inline constexpr char UserAgent[] = "NavRelay/2.5 (X11; Linux x86_64)";

// The Referer a navigation from the document at `referrer` to `target` sends, under the
// default policy of current browsers (strict-origin-when-cross-origin); empty for none.
[[nodiscard]] QByteArray refererHeader(const QUrl &referrer, const QUrl &target);

// The serialised origin of the document at `url`: "scheme://host[:port]", or "null" for a
// document without a tuple origin (file, data, about).
[[nodiscard]] QByteArray serialisedOrigin(const QUrl &url);

// The request-target a navigation sends: its path and query as written, or as QUrl gives them.
[[nodiscard]] QByteArray requestTarget(const NavigationRequest &request);

// The header fields a browser sends on one hop of a navigation, but for Host, Cookie and
// Content-Length.
[[nodiscard]] HttpHeaders requestHeadersFor(const NavigationRequest &request);
