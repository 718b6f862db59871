#pragma once

#include "browser/builtin/net/LoadedResponse.h"

#include <QByteArray>
#include <QUrl>

// The Content-Type of the pages errorPageHtml writes.
inline constexpr char ErrorPageContentType[] = "text/html; charset=utf-8";

// The page a browser shows in place of one it could not load: a title and a sentence that say
// what happened, and the address.
[[nodiscard]] QByteArray errorPageHtml(const LoadFailure &failure, const QUrl &url);
// The error page's title and sentence on one line: "Connection refused: example.com refused to connect."
[[nodiscard]] QString loadFailureReason(const LoadFailure &failure, const QUrl &url);
