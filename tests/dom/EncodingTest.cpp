#include "DomTestPage.h"

#include "browser/builtin/dom/EncodingSniffer.h"
#include "browser/builtin/dom/TextCodec.h"
#include "browser/builtin/dom/UrlParsing.h"

namespace {

struct CharsetCase {
    QByteArray body;
    QByteArray contentType;
    QString expectedText;
    QString expectedCharset;
};

TEST(Charset, IsFoundAsBrowsersFindIt)
{
    const QByteArray utf8Euro = "\xE2\x82\xAC";
    const QByteArray filler(1100, ' ');
    const CharsetCase cases[] = {
        {"<p id=t>\x80</p>", "text/html", QStringLiteral(u"\u20ac"), "windows-1252"},
        {"<p id=t>\x93q\x94</p>", "text/html; charset=ISO-8859-1", QStringLiteral(u"\u201cq\u201d"), "windows-1252"},
        {"<p id=t>" + utf8Euro + "</p>", "text/html; charset=utf-8", QStringLiteral(u"\u20ac"), "UTF-8"},
        {"<p id=t>" + utf8Euro + "</p>", "text/html; charset=\"UTF-8\"", QStringLiteral(u"\u20ac"), "UTF-8"},
        {"\xEF\xBB\xBF<p id=t>\xC3\xA9</p>", "text/html; charset=iso-8859-1", QStringLiteral(u"\u00e9"), "UTF-8"},
        {QByteArray("\xFF\xFE<\0p\0 \0i\0d\0=\0t\0>\0h\0i\0", 22), "text/html", "hi", "UTF-16LE"},
        {"<meta charset='utf-8'><p id=t>" + utf8Euro, "text/html", QStringLiteral(u"\u20ac"), "UTF-8"},
        {"<meta http-equiv=Content-Type content='text/html; charset=iso-8859-1'><p id=t>\xE9", "text/html",
         QStringLiteral(u"\u00e9"), "windows-1252"},
        {"<meta content='text/html; charset=utf-8'><p id=t>\x80", "text/html", QStringLiteral(u"\u20ac"), "windows-1252"},
        {"<!-- <meta charset=utf-8> --><p id=t>\x80", "text/html", QStringLiteral(u"\u20ac"), "windows-1252"},
        {"<meta charset=utf-16><p id=t>" + utf8Euro, "text/html", QStringLiteral(u"\u20ac"), "UTF-8"},
        // A <meta> past the prescan's 1024 bytes counts until the body starts, as in Chromium: the
        // page is read again in its encoding, unless it was certain or the first one agreed.
        {"<p id=t>x</p>" + filler + "<meta charset=utf-8>", "text/html", "x", "windows-1252"},
        {"<head><style>" + filler + "</style><meta charset=utf-8></head><p id=t>caf\xC3\xA9", "text/html",
         QStringLiteral(u"caf\u00e9"), "UTF-8"},
        {"<title>" + filler + "</title><meta charset=bogus><meta http-equiv=Content-Type content='text/html; "
         "charset=utf-16'><p id=t>\xC3\xA9", "", QStringLiteral(u"\u00e9"), "UTF-8"},
        {"<meta charset=windows-1252><style>" + filler + "</style><meta charset=utf-8><p id=t>\xC3\xA9", "text/html",
         QStringLiteral(u"\u00c3\u00a9"), "windows-1252"},
        {"<style>" + filler + "</style><meta charset=utf-8><p id=t>\xE9", "text/html; charset=windows-1252",
         QStringLiteral(u"\u00e9"), "windows-1252"},
        {"<meta charset=bogus><p id=t>\x80", "", QStringLiteral(u"\u20ac"), "windows-1252"},
        {"<meta charset=utf-8><p id=t>\x80", "text/html; charset=windows-1252", QStringLiteral(u"\u20ac"), "windows-1252"},
        {"<p id=t>\x93\xFA\x96\x7B</p>", "text/html; charset=Shift_JIS", QStringLiteral(u"\u65e5\u672c"), "Shift_JIS"},
        {"<p id=t>\xC3(</p>", "text/html; charset=utf-8", QStringLiteral(u"\ufffd("), "UTF-8"},
    };
    for (const CharsetCase &c : cases) {
        const DomTestPage page(c.body, c.contentType);
        EXPECT_EQ(page.byId("t")->innerText(), c.expectedText) << c.body.toStdString();
        EXPECT_EQ(documentCharset(*page.document), c.expectedCharset) << c.body.toStdString();
    }
}

TEST(Charset, MetaContentAndHeaderParameters)
{
    const struct {
        QByteArray content;
        std::optional<QByteArray> expected;
    } metaCases[] = {
        {"text/html; charset=utf-8", "utf-8"},
        {"text/html;charset = 'koi8-r' ", "koi8-r"},
        {"text/html; CHARSET=\"big5\"", "big5"},
        {"text/html; charset=\"unterminated", std::nullopt},
        {"text/html", std::nullopt},
        {"charset;charset=x", "x"},
    };
    for (const auto &c : metaCases)
        EXPECT_EQ(dom::charsetFromMetaContent(c.content), c.expected) << c.content.toStdString();
    EXPECT_EQ(dom::charsetParameter("text/html; q=1; Charset=\"a\\\"b\""), "a\"b");
    EXPECT_EQ(dom::charsetParameter("text/html"), "");
}

TEST(Charset, Windows1252CoversTheWholeByteRange)
{
    QByteArray bytes;
    for (int b = 0; b < 256; ++b)
        bytes += char(b);
    const QString text = dom::decodeText(bytes, dom::Windows1252Encoding);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text[0x80], QChar(0x20AC));
    EXPECT_EQ(text[0x9F], QChar(0x0178));
    EXPECT_EQ(text[0xA0], QChar(0xA0));
    EXPECT_EQ(text[0xFF], QChar(0xFF));
    EXPECT_EQ(dom::encodeWithCharacterReferences(text, dom::Windows1252Encoding), bytes);
    EXPECT_EQ(dom::encodeWithCharacterReferences(QStringLiteral(u"a\u65e5\U0001F600"), dom::Windows1252Encoding),
              "a&#26085;&#128512;");
    EXPECT_EQ(dom::encodeWithCharacterReferences(QStringLiteral(u"\u00e9\u65e5"), "Shift_JIS"), "&#233;\x93\xFA");
}

// A link's query is written in the page's encoding, its path in UTF-8, and the escapes the page
// wrote are kept, a lone "%" too; the base address is read in UTF-8, as browsers read it.
TEST(Charset, AddressesWriteTheirQueryInThePagesEncoding)
{
    const DomTestPage page("<base href='/b\xE9/?b=\xE9'><a id=t href='/\xE9?q=caf\xE9&x=%2F&y=%zz&z=&#x4E00;\x80'></a>"
                           "<a id=u href=''></a>",
                           "text/html; charset=windows-1252");
    EXPECT_EQ(page.byId("t")->href(), QStringLiteral("http://127.0.0.1/%C3%A9?q=caf%E9&x=%2F&y=%zz&z=%26%2319968%3B%80"));
    EXPECT_EQ(page.byId("u")->href(), QStringLiteral("http://127.0.0.1/b%C3%A9/?b=%C3%A9"));
    EXPECT_EQ(DomTestPage("<a id=t href='/?q=caf\xC3\xA9'></a>").byId("t")->href(),
              QStringLiteral("http://127.0.0.1/?q=caf%C3%A9"));
}

// QUrl decodes "%41" to "A" and writes a lone "%" as "%25"; the path and query sent keep every
// "%" the reference and the base wrote, dot segments are removed, and a target is only given
// when it differs from QUrl's.
TEST(Charset, TheTargetSentKeepsTheEscapesWritten)
{
    const auto base = dom::Url::parse(u"http://127.0.0.1/d%C3%A9%25/p%41ge?old=%41");
    const struct {
        QString input;
        QByteArray encoding;
        QByteArray sent;
    } cases[] = {
        {QStringLiteral(u"echo?q=caf\u00e9&x=%41"), "windows-1252", "/d%C3%A9%25/echo?q=caf%E9&x=%41"},
        {QStringLiteral(u"echo?q=caf\u00e9&x=%2F"), "windows-1252", ""},
        {QStringLiteral(u" /e?a=b c&e=\u00e9\U0001F600&t=%7e&p=%zz#%42"), "UTF-8", "/e?a=b%20c&e=%C3%A9%F0%9F%98%80&t=%7e&p=%zz"},
        {QStringLiteral(u"http://h/?x=%41%2D%5F"), "UTF-8", "/?x=%41%2D%5F"},
        {QStringLiteral(u"?x=%41"), "UTF-8", "/d%C3%A9%25/p%41ge?x=%41"},
        {QStringLiteral(u"#%41"), "UTF-8", "/d%C3%A9%25/p%41ge?old=%41"},
        {QStringLiteral(u""), "UTF-8", "/d%C3%A9%25/p%41ge?old=%41"},
        {QStringLiteral(u"other"), "UTF-8", ""},
        {QStringLiteral(u"/%41bc/x%7Ey%7e"), "UTF-8", "/%41bc/x%7Ey%7e"},
        {QStringLiteral(u"sub/%41%2f\u00e9"), "UTF-8", "/d%C3%A9%25/sub/%41%2f%C3%A9"},
        {QStringLiteral(u"../%41/./b/../c"), "UTF-8", "/%41/c"},
        {QStringLiteral(u"x/%2e%2E/y%41/%2E"), "UTF-8", "/d%C3%A9%25/y%41/"},
        {QStringLiteral(u"http://h/a/../%41%2e?"), "UTF-8", "/%41%2e?"},
        {QStringLiteral(u"\\%41\\b"), "UTF-8", "/%41/b"},
        {QStringLiteral(u"/a%/%41"), "UTF-8", "/a%/%41"},
        {QStringLiteral(u"/a%zz/b"), "UTF-8", "/a%zz/b"},
        {QStringLiteral(u"/a%2541"), "UTF-8", ""},
        {QStringLiteral(u"data:,%41"), "UTF-8", ""},
    };
    for (const auto &c : cases) {
        const auto url = dom::Url::parse(c.input, &*base, c.encoding);
        ASSERT_TRUE(url) << c.input.toStdString();
        NavigationRequest request;
        dom::setRequestUrl(request, *url);
        EXPECT_EQ(request.wireTarget, c.sent) << c.input.toStdString();
    }
}

} // namespace
