#pragma once

#include "browser/builtin/dom/NavigationRequest.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Why a load brought back no page of the server's.
enum class LoadFailureKind {
    InvalidAddress,
    UnsupportedAddress,
    HostNotFound,
    ConnectionRefused,
    ConnectionClosed,
    Timeout,
    SecureConnectionFailed,
    InvalidResponse,
    HeadersTooLarge,
    TooLarge,
    TooManyRedirects,
    RedirectRefused,
    FileNotFound,
    FileUnreadable,
    FormNotResent,
    Other,
};

struct LoadFailure {
    LoadFailureKind kind = LoadFailureKind::Other;
    QString detail; // the network stack's own words, or the address involved
};

// A body past `maxBytes` bytes, as sent or once decompressed.
[[nodiscard]] inline LoadFailure bodyTooLarge(qint64 maxBytes)
{
    return {LoadFailureKind::TooLarge, QString::number(maxBytes)};
}

// What one load brought back: a page, a failure to show as an error page, or nothing to show
// (the current document stays).
struct LoadedResponse {
    NavigationRequest request; // the request that was answered, after redirects
    int httpStatus = 0;        // 0 when the answer did not come over HTTP
    QByteArray contentType;
    QByteArray body;
    bool keepsDocument = false; // e.g. 204 No Content: the shown page stays
    bool noStore = false;       // Cache-Control: no-store: going back asks the server again
    std::optional<LoadFailure> failure;
};
