#include "QtPrinters.h"

#include "browser/builtin/net/HttpCache.h"
#include "browser/builtin/net/HttpFreshness.h"

#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

const QDateTime kReceived(QDate(2026, 3, 2), QTime(12, 0), QTimeZone::utc());

QByteArray httpDateText(const QDateTime &date)
{
    return QLocale::c().toString(date.toUTC(), QStringLiteral("ddd, dd MMM yyyy hh:mm:ss 'GMT'")).toLatin1();
}

HttpAnswer answerWith(HttpHeaders headers, int status = 200)
{
    return HttpAnswer{status, std::move(headers)};
}

TEST(HttpFreshness, HeaderSetsAreFreshStaleOrNotStorable)
{
    const QByteArray now = httpDateText(kReceived);
    const QByteArray tenDaysAgo = httpDateText(kReceived.addDays(-10));
    const struct {
        const char *what;
        HttpAnswer answer;
        qint64 secondsLater;
        Freshness expected;
    } cases[] = {
        {"no-store", answerWith({{"Cache-Control", "no-store, max-age=600"}}), 10, Freshness::NotStorable},
        {"Vary: *", answerWith({{"Cache-Control", "max-age=600"}, {"Vary", "Accept, *"}}), 10, Freshness::NotStorable},
        {"not a 200", answerWith({{"Cache-Control", "max-age=600"}}, 404), 10, Freshness::NotStorable},
        {"nothing to go by", answerWith({{"Content-Type", "text/css"}}), 0, Freshness::NotStorable},
        {"max-age, young", answerWith({{"Cache-Control", "max-age=600"}}), 10, Freshness::Fresh},
        {"max-age quoted", answerWith({{"cache-control", "Max-Age=\"600\""}}), 10, Freshness::Fresh},
        {"max-age, old", answerWith({{"Cache-Control", "max-age=600"}}), 700, Freshness::Stale},
        {"max-age=0", answerWith({{"Cache-Control", "max-age=0"}, {"ETag", "\"v1\""}}), 0, Freshness::Stale},
        {"no-cache", answerWith({{"Cache-Control", "no-cache, max-age=600"}}), 0, Freshness::Stale},
        {"must-revalidate, young", answerWith({{"Cache-Control", "max-age=600, must-revalidate"}}), 10, Freshness::Fresh},
        {"must-revalidate, old", answerWith({{"Cache-Control", "max-age=600, must-revalidate"}}), 700, Freshness::Stale},
        {"s-maxage is for shared caches", answerWith({{"Cache-Control", "s-maxage=600"}, {"ETag", "\"v1\""}}), 10, Freshness::Stale},
        {"max-age beside s-maxage", answerWith({{"Cache-Control", "s-maxage=0, max-age=600"}}), 10, Freshness::Fresh},
        {"Expires, young", answerWith({{"Date", now}, {"Expires", httpDateText(kReceived.addSecs(600))}}), 10, Freshness::Fresh},
        {"Expires, old", answerWith({{"Date", now}, {"Expires", httpDateText(kReceived.addSecs(600))}}), 700, Freshness::Stale},
        {"Expires that is no date", answerWith({{"Expires", "0"}}), 0, Freshness::Stale},
        {"max-age before Expires", answerWith({{"Cache-Control", "max-age=600"}, {"Expires", "Thu, 01 Jan 1970 00:00:00 GMT"}}), 10,
         Freshness::Fresh},
        {"made a while ago by Date", answerWith({{"Date", httpDateText(kReceived.addSecs(-100))}, {"Cache-Control", "max-age=60"}}), 0,
         Freshness::Stale},
        {"aged by Age, young", answerWith({{"Age", "550"}, {"Cache-Control", "max-age=600"}}), 10, Freshness::Fresh},
        {"aged by Age, old", answerWith({{"Age", "550"}, {"Cache-Control", "max-age=600"}}), 60, Freshness::Stale},
        {"Last-Modified, a tenth of its age", answerWith({{"Date", now}, {"Last-Modified", tenDaysAgo}}), 3600, Freshness::Fresh},
        {"Last-Modified, past a tenth", answerWith({{"Date", now}, {"Last-Modified", tenDaysAgo}}), 2 * 86400, Freshness::Stale},
        {"Last-Modified long ago, a week at most",
         answerWith({{"Date", now}, {"Last-Modified", httpDateText(kReceived.addYears(-5))}}), 8 * 86400, Freshness::Stale},
        {"ETag alone", answerWith({{"ETag", "\"v1\""}}), 0, Freshness::Stale},
    };
    for (const auto &each : cases) {
        const ExchangeTimes times{kReceived, kReceived};
        EXPECT_EQ(freshness(each.answer, times, kReceived.addSecs(each.secondsLater)), each.expected) << each.what;
    }
}

TEST(HttpFreshness, DatesAreReadInAllThreeForms)
{
    const QDateTime expected(QDate(1994, 11, 6), QTime(8, 49, 37), QTimeZone::utc());
    EXPECT_EQ(httpDate("Sun, 06 Nov 1994 08:49:37 GMT"), expected);
    EXPECT_EQ(httpDate("Sunday, 06-Nov-94 08:49:37 GMT"), expected);
    EXPECT_EQ(httpDate("Sun Nov  6 08:49:37 1994"), expected);
    EXPECT_FALSE(httpDate("yesterday"));
    // Taken out of a request's exchange: an answer that waited in the network is older.
    const ExchangeTimes slow{kReceived.addSecs(-30), kReceived};
    EXPECT_EQ(currentAge(answerWith({}), slow, kReceived.addSecs(5)), std::chrono::seconds(35));
}

HttpRequest requestFor(const char *path, HttpHeaders headers = {})
{
    HttpRequest request;
    request.url = QUrl(QStringLiteral("http://a.test"));
    request.target = path;
    request.headers = std::move(headers);
    return request;
}

TEST(HttpCache, KeepsAnswersByAddressAndVaryRevalidatesAndStaysWithinItsBound)
{
    HttpCache cache(4000);
    const ExchangeTimes times{QDateTime::currentDateTimeUtc(), QDateTime::currentDateTimeUtc()};
    const HttpRequest english = requestFor("/v", {{"Accept-Language", "en"}});
    cache.store(english, answerWith({{"Cache-Control", "max-age=600"}, {"Vary", "accept-language"}}), "english", times);
    ASSERT_TRUE(cache.find(english));
    EXPECT_EQ(cache.find(english)->body, "english");
    EXPECT_FALSE(cache.find(requestFor("/v", {{"accept-language", "de"}}))) << "another language is another answer";
    EXPECT_FALSE(cache.holdsFresh(QUrl(QStringLiteral("http://a.test/v")))) << "an answer that varies needs its request";

    // A 304 keeps the body and takes the new fields, but for those of its own exchange.
    const HttpRequest sheet = requestFor("/s.css");
    cache.store(sheet,
                answerWith({{"Cache-Control", "no-cache"}, {"ETag", "\"1\""}, {"Content-Length", "9"}, {"Set-Cookie", "a=1"}}),
                "body text", times);
    EXPECT_FALSE(cache.holdsFresh(QUrl(QStringLiteral("http://a.test/s.css#part")))) << "no-cache: always asked again";
    const StoredAnswer refreshed = cache.refresh(
        sheet, *cache.find(sheet), answerWith({{"Cache-Control", "max-age=60"}, {"Content-Length", "0"}}, 304), times);
    EXPECT_EQ(refreshed.body, "body text");
    EXPECT_EQ(refreshed.answer.header("Cache-Control"), "max-age=60");
    EXPECT_EQ(refreshed.answer.header("Content-Length"), "");
    EXPECT_EQ(refreshed.answer.header("Set-Cookie"), "");
    EXPECT_EQ(refreshed.answer.header("ETag"), "\"1\"");
    EXPECT_TRUE(cache.holdsFresh(QUrl(QStringLiteral("http://a.test/s.css"))));

    // An answer that may not be kept takes the place of the last one; so does a form sent.
    cache.store(sheet, answerWith({{"Cache-Control", "no-store"}}), "secret", times);
    EXPECT_FALSE(cache.find(sheet));
    cache.forget(english);
    EXPECT_EQ(cache.bytes(), 0);

    // Least recently used out first; an answer past a quarter of the bound is not kept.
    const HttpAnswer kept = answerWith({{"Cache-Control", "max-age=600"}});
    const QByteArray body(900, 'x');
    for (const char *path : {"/1", "/2", "/3", "/4"})
        cache.store(requestFor(path), kept, body, times);
    EXPECT_TRUE(cache.find(requestFor("/1")));
    cache.store(requestFor("/5"), kept, body, times);
    EXPECT_TRUE(cache.find(requestFor("/1")));
    EXPECT_FALSE(cache.find(requestFor("/2")));
    EXPECT_TRUE(cache.find(requestFor("/5")));
    EXPECT_LE(cache.bytes(), 4000);
    cache.store(requestFor("/big"), kept, QByteArray(1100, 'x'), times);
    EXPECT_FALSE(cache.find(requestFor("/big")));
}

} // namespace
