#include "QtPrinters.h"
#include "browser/builtin/ErrorPage.h"
#include "browser/builtin/PageDocument.h"

#include <gtest/gtest.h>

namespace {

TEST(PageDocument, ContentKindFromTypeOrSniffing)
{
    const struct {
        QByteArray contentType;
        QString url;
        QByteArray body;
        ContentKind expected;
    } cases[] = {
        {"text/html", "http://a.test/", "x", ContentKind::Html},
        {"TEXT/HTML; charset=UTF-8", "http://a.test/", "x", ContentKind::Html},
        {"application/xhtml+xml", "http://a.test/", "x", ContentKind::Html},
        {"text/plain", "http://a.test/", "<p>x</p>", ContentKind::Text},
        {"text/csv;charset=utf-8", "http://a.test/", "a,b", ContentKind::Text},
        {"application/json", "http://a.test/", "{}", ContentKind::Text},
        {"application/problem+json", "http://a.test/", "{}", ContentKind::Text},
        {"image/png", "http://a.test/", "\x89PNG", ContentKind::Other},
        {"image/svg+xml", "http://a.test/", "<svg/>", ContentKind::Other},
        {"application/octet-stream", "http://a.test/", "<html>", ContentKind::Other},
        {"", "http://a.test/", "<!DOCTYPE html><html><body>x</body></html>", ContentKind::Html},
        {"", "http://a.test/", "just words", ContentKind::Text},
        {"", "http://a.test/", "", ContentKind::Html},
        {"", "file:///tmp/page.html", "<p>x</p>", ContentKind::Html},
        {"", "file:///tmp/notes.txt", "notes", ContentKind::Text},
        {"", "file:///tmp/picture.png", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), ContentKind::Other},
    };
    for (const auto &c : cases)
        EXPECT_EQ(contentKindOf(c.contentType, QUrl(c.url), c.body), c.expected)
            << c.contentType.constData() << " " << c.url.toStdString();
}

TEST(PageDocument, PlainTextBecomesEscapedPreformattedHtml)
{
    const struct {
        QByteArray body;
        QByteArray contentType;
        QString expectedText;
    } cases[] = {
        {"a < b & c", "text/plain", "a &lt; b &amp; c"},
        {"caf\xc3\xa9", "text/plain", "caf\u00e9"},
        {"caf\xe9 \x80", "text/plain", "caf\u00e9 \u20ac"},
        {"caf\xe9", "text/plain; charset=iso-8859-1", "caf\u00e9"},
        {"\xef\xbb\xbf\xc3\xa9", "text/plain; charset=iso-8859-1", "\u00e9"},
        {QByteArray("\xff\xfe<\0b\0", 6), "text/plain", "&lt;b"},
        {QByteArray("a\0b", 3), "text/plain", QString::fromUtf16(u"a\u0000b", 3)},
    };
    for (const auto &c : cases) {
        const QString html = QString::fromUtf8(textAsHtml(c.body, c.contentType));
        EXPECT_TRUE(html.contains("<pre>" + c.expectedText + "</pre>")) << html.toStdString();
    }
}

TEST(PageDocument, ErrorPagesEscapeWhatTheyQuote)
{
    const QByteArray html =
        errorPageHtml({LoadFailureKind::SecureConnectionFailed, "<script>x</script>"}, QUrl("https://a.test/?q=<b>"));
    EXPECT_FALSE(html.contains("<script>"));
    EXPECT_FALSE(html.contains("<b>"));
    EXPECT_TRUE(html.contains("<title>Secure connection failed</title>"));
    EXPECT_TRUE(errorPageHtml(bodyTooLarge(32 * 1024 * 1024), QUrl("http://a.test/")).contains("more than 32 MB."));
    EXPECT_TRUE(errorPageHtml(bodyTooLarge(1000), QUrl("file:///big")).contains("more than 1000 bytes."));
}

} // namespace
