#pragma once

#include "browser/builtin/net/HttpFreshness.h"
#include "browser/builtin/net/HttpTransfer.h"
#include "browser/builtin/net/LoadLimits.h"

#include <QByteArray>
#include <QHash>
#include <QUrl>

#include <list>
#include <optional>

// Whether a load may use the answers the browser keeps: a Reload asks every server again.
enum class CacheUse { Normal, Reload };

// An answer kept for the requests that follow, its body as decoded.
struct StoredAnswer {
    HttpAnswer answer;
    QByteArray body;
    ExchangeTimes times;
};

// The answers to GET requests a browser keeps for its session, one per address, within a bound
// on the bytes held: the least recently used go first. An answer that varies (Vary) is used only
// for a request whose fields it names are the same as those it answered.
class HttpCache {
public:
    explicit HttpCache(qint64 maxBytes = MaxCacheBytes);

    // The answer kept for this request, or nullopt.
    [[nodiscard]] std::optional<StoredAnswer> find(const HttpRequest &request);
    // Keeps the answer, when it may be kept, in place of the address's last one.
    void store(const HttpRequest &request, const HttpAnswer &answer, const QByteArray &body, const ExchangeTimes &times);
    // The server said the kept answer is still good (304): it is kept with the new header fields
    // and times, and given back.
    StoredAnswer refresh(const HttpRequest &request, StoredAnswer stored, const HttpAnswer &notModified,
                         const ExchangeTimes &times);
    // A request that may change what the server holds (a form sent) makes the kept answer useless.
    void forget(const HttpRequest &request);

    // Whether the answer kept for the address is fresh now, for any request: false when it varies.
    [[nodiscard]] bool holdsFresh(const QUrl &url) const;
    [[nodiscard]] qint64 bytes() const { return m_bytes; }

private:
    struct Entry {
        QByteArray key;
        StoredAnswer stored;
        HttpHeaders varied; // the request's fields the answer varies on, as they were
        qint64 bytes = 0;
    };

    void remove(std::list<Entry>::iterator entry);

    const qint64 m_maxBytes;
    std::list<Entry> m_entries; // most recently used first
    QHash<QByteArray, std::list<Entry>::iterator> m_byKey;
    qint64 m_bytes = 0;
};
