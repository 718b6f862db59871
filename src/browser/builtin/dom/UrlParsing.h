#pragma once

#include "browser/builtin/dom/NavigationRequest.h"
#include "browser/builtin/dom/Url.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

namespace dom {

// The URL as a QUrl, for the parts of the engine that take one. QUrl reads "%41" as "A" and a
// lone "%" as "%25": what goes on the wire is the URL's own request target (see setRequestUrl).
[[nodiscard]] QUrl toQUrl(const Url &url);

// Points the request at the URL: its QUrl and, for http and https, the path and query as the URL
// writes them when QUrl would send others (carried as NavigationRequest::wireTarget).
void setRequestUrl(NavigationRequest &request, const Url &url);

// The address as its request went out: with the path and query as sent when QUrl's differ.
[[nodiscard]] QString writtenUrl(const QUrl &url, const QByteArray &wireTarget);

// The URL as a Referer: without fragment and user information.
[[nodiscard]] QUrl referrerUrl(const QUrl &url);

} // namespace dom
