#pragma once

#include <QByteArrayView>
#include <QString>
#include <QUrl>

#include <optional>

namespace dom {

// Parses an address as an HTML attribute gives it, against a base URL: surrounding spaces and
// control characters and any tab or line break inside are dropped; backslashes act as slashes
// in http-like addresses; the percent escapes written in it are kept. The query of an
// http-like address is written in the given encoding (the document's), as browsers do:
// characters it cannot hold become "&#N;", percent-encoded. nullopt when no valid URL results.
[[nodiscard]] std::optional<QUrl> parseUrl(const QString &input, const QUrl &base,
                                           QByteArrayView queryEncoding = "UTF-8");

// The request target (path and query) a browser sends for the reference the input is, once parseUrl
// resolved it against the base: QUrl decodes the escapes of unreserved characters ("%41" is "A" to
// it) and writes a lone "%" as "%25"; browsers keep every "%" the reference and the base wrote.
// writtenBase is the base as written (see writtenAddress). Empty when that is the target the
// network manager sends for the resolved URL, or it is not http.
[[nodiscard]] QByteArray wireTarget(const QString &input, const QString &writtenBase, const QUrl &resolved,
                                    QByteArrayView queryEncoding = "UTF-8");

// The address as its request went out: with the path and query as sent when QUrl's differ.
[[nodiscard]] QString writtenUrl(const QUrl &url, const QByteArray &wireTarget);

// The whole address the input names against the written base, read in UTF-8, with every "%" both
// wrote kept: a <base href> as browsers keep it for the addresses resolved against it.
[[nodiscard]] QString writtenAddress(const QString &input, const QString &writtenBase);

// The URL as the DOM gives it: percent-encoded, and "/" as the path of an http-like URL without one.
[[nodiscard]] QString serializeUrl(const QUrl &url);

// The URL as a Referer: without fragment and user information.
[[nodiscard]] QUrl referrerUrl(const QUrl &url);

} // namespace dom
