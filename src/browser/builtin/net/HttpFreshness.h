#pragma once

#include "browser/builtin/net/HttpTransfer.h"

#include <QByteArrayView>
#include <QDateTime>

#include <chrono>
#include <optional>

// When a stored answer may be used again without asking its server, by the rules of a
// browser's own (private) cache.

// The Cache-Control directives a private cache heeds: s-maxage and public/private change nothing,
// and must-revalidate neither, as a stale answer is never used without asking its server.
struct CacheDirectives {
    bool noStore = false;
    bool noCache = false;
    std::optional<qint64> maxAge; // seconds; a value that is no number counts as 0
};

[[nodiscard]] CacheDirectives cacheDirectives(QByteArrayView cacheControl);

// An HTTP date in any of its three forms (IMF-fixdate, RFC 850, asctime), in UTC; nullopt when
// the text is none of them.
[[nodiscard]] std::optional<QDateTime> httpDate(QByteArrayView text);

// When an exchange's request went out and its answer's headers came back.
struct ExchangeTimes {
    QDateTime requested;
    QDateTime received;
};

// A complete 200 answer may be kept when it does not forbid it (no-store, Vary: *) and says how
// long it stays fresh or how to ask whether it changed (ETag, Last-Modified).
[[nodiscard]] bool mayStore(const HttpAnswer &answer);

// How long the answer stays fresh after its server made it: max-age; else Expires less Date;
// else, as browsers guess, a tenth of the time since Last-Modified, at most a week; else none.
[[nodiscard]] std::chrono::seconds freshnessLifetime(const HttpAnswer &answer, const ExchangeTimes &times);

// How old the answer is at `now`: its age when it arrived (by Date and Age, and the time the
// exchange took) and the time since.
[[nodiscard]] std::chrono::seconds currentAge(const HttpAnswer &answer, const ExchangeTimes &times, const QDateTime &now);

enum class Freshness {
    Fresh,      // used without asking the server
    Stale,      // kept, and asked about again (no-cache: always)
    NotStorable,
};

[[nodiscard]] Freshness freshness(const HttpAnswer &answer, const ExchangeTimes &times, const QDateTime &now);
