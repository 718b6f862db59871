#include "browser/builtin/net/HttpFreshness.h"

#include <QTimeZone>

#include <algorithm>

namespace {

using std::chrono::seconds;

// Browsers guess no longer than this for an answer that names only its Last-Modified.
constexpr seconds MaxHeuristicLifetime{7 * 24 * 3600};

[[nodiscard]] qint64 secondsValue(QByteArrayView text)
{
    bool ok = false;
    const qint64 value = text.toByteArray().trimmed().replace('"', QByteArray()).toLongLong(&ok);
    return ok ? std::max<qint64>(value, 0) : 0;
}

[[nodiscard]] std::optional<QDateTime> headerDate(const HttpAnswer &answer, QByteArrayView name)
{
    const QByteArray value = answer.header(name);
    return value.isEmpty() ? std::nullopt : httpDate(value);
}

[[nodiscard]] seconds between(const QDateTime &from, const QDateTime &to)
{
    return seconds(from.secsTo(to));
}

} // namespace

CacheDirectives cacheDirectives(QByteArrayView cacheControl)
{
    CacheDirectives directives;
    for (const QByteArray &part : cacheControl.toByteArray().toLower().split(',')) {
        const qsizetype equals = part.indexOf('=');
        const QByteArray name = (equals < 0 ? part : part.left(equals)).trimmed();
        if (name == "no-store")
            directives.noStore = true;
        else if (name == "no-cache")
            directives.noCache = true;
        else if (name == "max-age" && !directives.maxAge)
            directives.maxAge = equals < 0 ? 0 : secondsValue(QByteArrayView(part).sliced(equals + 1));
    }
    return directives;
}

std::optional<QDateTime> httpDate(QByteArrayView text)
{
    const QString written = QString::fromLatin1(text).simplified();
    static const struct {
        QString form;
        bool twoDigitYear;
    } forms[] = {
        {QStringLiteral("ddd, dd MMM yyyy hh:mm:ss 'GMT'"), false},
        {QStringLiteral("dddd, dd-MMM-yy hh:mm:ss 'GMT'"), true},
        {QStringLiteral("ddd MMM d hh:mm:ss yyyy"), false},
    };
    for (const auto &[form, twoDigitYear] : forms) {
        QDateTime date = QDateTime::fromString(written, form);
        if (!date.isValid())
            continue;
        // A two-digit year is one of those since 1970, as HTTP dates are.
        if (twoDigitYear && date.date().year() < 1970)
            date = date.addYears(100);
        date.setTimeZone(QTimeZone::utc());
        return date;
    }
    return std::nullopt;
}

bool mayStore(const HttpAnswer &answer)
{
    const CacheDirectives directives = cacheDirectives(answer.header("Cache-Control"));
    if (answer.status != 200 || directives.noStore)
        return false;
    const QList<QByteArray> varied = answer.header("Vary").split(',');
    if (std::any_of(varied.cbegin(), varied.cend(), [](const QByteArray &name) { return name.trimmed() == "*"; }))
        return false;
    return directives.maxAge || !answer.header("Expires").isEmpty() || !answer.header("ETag").isEmpty()
        || !answer.header("Last-Modified").isEmpty();
}

seconds freshnessLifetime(const HttpAnswer &answer, const ExchangeTimes &times)
{
    if (const std::optional<qint64> maxAge = cacheDirectives(answer.header("Cache-Control")).maxAge)
        return seconds(*maxAge);
    const QDateTime made = headerDate(answer, "Date").value_or(times.received);
    if (!answer.header("Expires").isEmpty()) {
        // An Expires that is no date ("0") means already expired.
        const std::optional<QDateTime> expires = httpDate(answer.header("Expires"));
        return expires ? std::max(seconds(0), between(made, *expires)) : seconds(0);
    }
    if (const std::optional<QDateTime> modified = headerDate(answer, "Last-Modified"))
        return std::clamp(between(*modified, made) / 10, seconds(0), MaxHeuristicLifetime);
    return seconds(0);
}

seconds currentAge(const HttpAnswer &answer, const ExchangeTimes &times, const QDateTime &now)
{
    const seconds apparent = std::max(seconds(0), between(headerDate(answer, "Date").value_or(times.received), times.received));
    const seconds delay = std::max(seconds(0), between(times.requested, times.received));
    const seconds corrected = seconds(secondsValue(answer.header("Age"))) + delay;
    return std::max(apparent, corrected) + std::max(seconds(0), between(times.received, now));
}

Freshness freshness(const HttpAnswer &answer, const ExchangeTimes &times, const QDateTime &now)
{
    if (!mayStore(answer))
        return Freshness::NotStorable;
    if (cacheDirectives(answer.header("Cache-Control")).noCache)
        return Freshness::Stale;
    return freshnessLifetime(answer, times) > currentAge(answer, times, now) ? Freshness::Fresh : Freshness::Stale;
}
