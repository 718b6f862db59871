#include "browser/builtin/net/HttpCache.h"

#include "browser/builtin/net/RequestHeaders.h"

#include <algorithm>

namespace {

// One answer may take this share of the cache at most, so that a big download does not push
// out every page's style sheets and images.
constexpr qint64 MaxShareOfOneAnswer = 4;

[[nodiscard]] bool sameName(const QByteArray &a, QByteArrayView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Fields that describe the body as sent, or are the server's words to this one exchange: a
// 304 does not change them, and cookies are never replayed from the cache.
[[nodiscard]] bool isExchangeField(const QByteArray &name)
{
    for (const char *field : {"Content-Length", "Content-Encoding", "Transfer-Encoding", "Content-Range", "Set-Cookie"}) {
        if (sameName(name, field))
            return true;
    }
    return false;
}

[[nodiscard]] QByteArray cacheKey(const QUrl &url, const QByteArray &target)
{
    return url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment).toEncoded() + target;
}

[[nodiscard]] QByteArray fieldOf(const HttpHeaders &headers, QByteArrayView name)
{
    const auto found = std::find_if(headers.cbegin(), headers.cend(), [name](const auto &field) { return sameName(field.first, name); });
    return found == headers.cend() ? QByteArray() : found->second;
}

[[nodiscard]] HttpHeaders variedFields(const HttpAnswer &answer, const HttpHeaders &request)
{
    HttpHeaders varied;
    for (const QByteArray &name : answer.header("Vary").split(',')) {
        if (const QByteArray trimmed = name.trimmed(); !trimmed.isEmpty())
            varied.append({trimmed, fieldOf(request, trimmed)});
    }
    return varied;
}

[[nodiscard]] bool variesFrom(const HttpHeaders &varied, const HttpHeaders &request)
{
    return std::any_of(varied.cbegin(), varied.cend(),
                       [&request](const auto &field) { return fieldOf(request, field.first) != field.second; });
}

[[nodiscard]] HttpAnswer keptFields(HttpAnswer answer)
{
    answer.headers.removeIf([](const auto &field) { return isExchangeField(field.first); });
    return answer;
}

[[nodiscard]] qint64 bytesOf(const StoredAnswer &stored)
{
    qint64 bytes = stored.body.size();
    for (const auto &[name, value] : stored.answer.headers)
        bytes += name.size() + value.size();
    return bytes;
}

} // namespace

HttpCache::HttpCache(qint64 maxBytes)
    : m_maxBytes(maxBytes)
{
}

std::optional<StoredAnswer> HttpCache::find(const HttpRequest &request)
{
    const auto found = m_byKey.constFind(cacheKey(request.url, request.target));
    if (found == m_byKey.cend() || variesFrom((*found)->varied, request.headers))
        return std::nullopt;
    m_entries.splice(m_entries.begin(), m_entries, *found);
    return m_entries.front().stored;
}

void HttpCache::store(const HttpRequest &request, const HttpAnswer &answer, const QByteArray &body, const ExchangeTimes &times)
{
    forget(request);
    if (!mayStore(answer))
        return;
    Entry entry{cacheKey(request.url, request.target), {keptFields(answer), body, times}, variedFields(answer, request.headers)};
    entry.bytes = bytesOf(entry.stored);
    if (entry.bytes > m_maxBytes / MaxShareOfOneAnswer)
        return;
    m_bytes += entry.bytes;
    m_entries.push_front(std::move(entry));
    m_byKey.insert(m_entries.front().key, m_entries.begin());
    while (m_bytes > m_maxBytes)
        remove(std::prev(m_entries.end()));
}

StoredAnswer HttpCache::refresh(const HttpRequest &request, StoredAnswer stored, const HttpAnswer &notModified,
                                const ExchangeTimes &times)
{
    const HttpHeaders updated = keptFields(notModified).headers;
    for (const auto &[name, value] : updated)
        stored.answer.headers.removeIf([&name](const auto &field) { return sameName(field.first, name); });
    stored.answer.headers.append(updated);
    stored.times = times;
    store(request, stored.answer, stored.body, times);
    return stored;
}

void HttpCache::forget(const HttpRequest &request)
{
    if (const auto found = m_byKey.constFind(cacheKey(request.url, request.target)); found != m_byKey.cend())
        remove(*found);
}

bool HttpCache::holdsFresh(const QUrl &url) const
{
    NavigationRequest request;
    request.url = url;
    const auto found = m_byKey.constFind(cacheKey(url, requestTarget(request)));
    if (found == m_byKey.cend() || !(*found)->varied.isEmpty())
        return false;
    const StoredAnswer &stored = (*found)->stored;
    return freshness(stored.answer, stored.times, QDateTime::currentDateTimeUtc()) == Freshness::Fresh;
}

void HttpCache::remove(std::list<Entry>::iterator entry)
{
    m_bytes -= entry->bytes;
    m_byKey.remove(entry->key);
    m_entries.erase(entry);
}
