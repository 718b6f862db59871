#include "DomTestPage.h"

#include "browser/builtin/dom/FormEncoding.h"

#include <QRegularExpression>

namespace {

const QByteArray FullForm = R"html(<form id=f action="/submit" method=post>
<input name=text value="a b&c=d~*.-_!'()">
<input name=empty>
<input type=checkbox name=c1 checked>
<input type=checkbox name=c2 value=v2 checked>
<input type=checkbox name=c3>
<input type=radio name=r value=1 checked>
<input type=radio name=r value=2 checked>
<input name=dis disabled value=x>
<fieldset disabled><input name=inDisabled value=x><legend><input name=inLegend value=l></legend></fieldset>
<input value=noname>
<select name=s><option>o1<option selected>o2</select>
<select name=m multiple><option selected>m1<option>m2<option selected value=m3v>m3<option selected disabled>m4</select>
<textarea name=ta>line1
line2</textarea>
<input type=hidden name=_charset_ value=ignored>
<input type=text name=dirfield dirname=dirfield.dir value=d>
<datalist><input name=inList value=x></datalist>
<input type=submit name=go value=Go id=go>
<input type=submit name=other value=Other>
<button name=b value=bv>B</button>
<input type=image name=img src=i.png>
</form>)html";

TEST(FormSubmission, UrlEncodedPostCarriesTheEntryListInTreeOrder)
{
    const DomTestPage page(FullForm);
    page.byId("go")->click();
    const NavigationRequest request = page.onlyRequest();
    EXPECT_EQ(request.url, QUrl("http://127.0.0.1/submit"));
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.contentType, "application/x-www-form-urlencoded");
    EXPECT_EQ(request.body, "text=a+b%26c%3Dd%7E*.-_%21%27%28%29&empty=&c1=on&c2=v2&r=2&inLegend=l&s=o2&m=m1&m=m3v"
                            "&ta=line1%0D%0Aline2&_charset_=UTF-8&dirfield=d&dirfield.dir=ltr&go=Go");
    EXPECT_EQ(request.referrer, QUrl("http://127.0.0.1/dir/page.html"));
    EXPECT_EQ(request.target, "");
}

TEST(FormSubmission, GetReplacesTheQueryAndKeepsTheFragment)
{
    const DomTestPage page("<form action='http://127.0.0.1/s?old=1#frag'><input name=q value='\xC3\xA9 \xC3\xBC'>"
                           "<input type=submit id=go></form>");
    page.byId("go")->click();
    const NavigationRequest request = page.onlyRequest();
    EXPECT_EQ(request.url.toEncoded(), "http://127.0.0.1/s?q=%C3%A9+%C3%BC#frag");
    EXPECT_EQ(request.method, "GET");
    EXPECT_TRUE(request.body.isEmpty());
}

// A select holds what any element holds: its options are those inside it, but for a datalist's.
TEST(FormSubmission, OptionsInsideOtherElementsOfASelectCount)
{
    const DomTestPage page("<form action=/s><select name=s><div><option>a</option></div><b><option selected>b</b>"
                           "<datalist><option selected>c</option></datalist></select><input type=submit id=go></form>");
    page.byId("go")->click();
    EXPECT_EQ(page.onlyRequest().url.query(QUrl::FullyEncoded), "s=b");
}

TEST(FormSubmission, EncodesInTheDocumentsOrTheFormsCharset)
{
    const struct {
        QByteArray html;
        QByteArray contentType;
        QByteArray expectedQuery;
    } cases[] = {
        {"<form action=/s><input name=q value='\x80 &#26085;'><input type=submit id=go></form>", "text/html", "q=%80+%26%2326085%3B"},
        {"<form action=/s accept-charset='bogus ISO-8859-1'><input name=q value='\xC3\xA9'><input type=submit id=go></form>",
         "text/html; charset=utf-8", "q=%E9"},
        {"<form action=/s accept-charset='\n bogus\tISO-8859-1 '><input name=q value='\xC3\xA9'><input type=submit id=go></form>",
         "text/html; charset=utf-8", "q=%E9"},
        {"<form action=/s><input type=hidden name=_CHARSET_><input type=submit id=go></form>", "text/html", "_CHARSET_=windows-1252"},
        {"<form action=/s><input name=q value='\xC3\xA9'><input type=submit id=go></form>", "text/html; charset=utf-16le", "q=%C3%A9"},
    };
    for (const auto &c : cases) {
        QByteArray body = c.html;
        if (c.contentType.contains("utf-16"))
            body = QByteArray(reinterpret_cast<const char *>(QString::fromUtf8(c.html).utf16()), c.html.size() * 2);
        const DomTestPage page(body, c.contentType);
        page.byId("go")->click();
        EXPECT_EQ(page.onlyRequest().url.query(QUrl::FullyEncoded).toLatin1(), c.expectedQuery) << c.html.toStdString();
    }
}

TEST(FormSubmission, MultipartBodyIsByteForByteWhatChromiumSends)
{
    const DomTestPage page("<form action=/up method=POST enctype=MULTIPART/form-data>"
                           "<input name=a value=x><input name='q\"uote' value=1>"
                           "<textarea name=t>l1\nl2</textarea><input type=file name=f>"
                           "<input name='\xC3\xA9' value='\xE2\x82\xAC'><button id=go>Send</button></form>");
    page.byId("go")->click();
    const NavigationRequest request = page.onlyRequest();
    const QRegularExpression contentType(QStringLiteral("^multipart/form-data; boundary=(----WebKitFormBoundary[A-Za-z0-9]{16})$"));
    const auto match = contentType.match(QString::fromLatin1(request.contentType));
    ASSERT_TRUE(match.hasMatch()) << request.contentType.toStdString();
    const QByteArray b = "--" + match.captured(1).toLatin1();
    EXPECT_EQ(request.body, b + "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nx\r\n"
                          + b + "\r\nContent-Disposition: form-data; name=\"q%22uote\"\r\n\r\n1\r\n"
                          + b + "\r\nContent-Disposition: form-data; name=\"t\"\r\n\r\nl1\r\nl2\r\n"
                          + b + "\r\nContent-Disposition: form-data; name=\"f\"; filename=\"\"\r\n"
                                "Content-Type: application/octet-stream\r\n\r\n\r\n"
                          + b + "\r\nContent-Disposition: form-data; name=\"\xC3\xA9\"\r\n\r\n\xE2\x82\xAC\r\n"
                          + b + "--\r\n");
}

TEST(FormSubmission, EncodersFollowTheirAlgorithms)
{
    const std::vector<dom::FormEntry> entries = {
        dom::FormEntry::text("a\nb", "c\rd\r\ne"),
        dom::FormEntry::emptyFile("file\"name"),
        dom::FormEntry::text(QStringLiteral(u"\u65e5"), " "),
    };
    EXPECT_EQ(dom::encodeUrlEncoded(entries, "UTF-8"), "a%0D%0Ab=c%0D%0Ad%0D%0Ae&file%22name=&%E6%97%A5=+");
    EXPECT_EQ(dom::encodeUrlEncoded(entries, "windows-1252"), "a%0D%0Ab=c%0D%0Ad%0D%0Ae&file%22name=&%26%2326085%3B=+");
    EXPECT_EQ(dom::encodeTextPlain(entries, "UTF-8"), "a\r\nb=c\r\nd\r\ne\r\nfile\"name=\r\n\xE6\x97\xA5= \r\n");
    EXPECT_EQ(dom::encodeMultipart(entries, "UTF-8", "XyZ"),
              "--XyZ\r\nContent-Disposition: form-data; name=\"a%0D%0Ab\"\r\n\r\nc\r\nd\r\ne\r\n"
              "--XyZ\r\nContent-Disposition: form-data; name=\"file%22name\"; filename=\"\"\r\n"
              "Content-Type: application/octet-stream\r\n\r\n\r\n"
              "--XyZ\r\nContent-Disposition: form-data; name=\"\xE6\x97\xA5\"\r\n\r\n \r\n"
              "--XyZ--\r\n");
    EXPECT_EQ(dom::encodeMultipart({}, "UTF-8", "XyZ"), "--XyZ--\r\n");
    EXPECT_NE(dom::newMultipartBoundary(), dom::newMultipartBoundary());
}

TEST(FormSubmission, SubmitterAttributesOverrideTheForms)
{
    const DomTestPage page("<form action=/a method=get target=t1><input name=q value=1>"
                           "<button id=go name=btn value=v formaction=/b formmethod=post formtarget=_blank "
                           "formenctype=text/plain>Go</button></form>");
    page.byId("go")->click();
    const NavigationRequest request = page.onlyRequest();
    EXPECT_EQ(request.url, QUrl("http://127.0.0.1/b"));
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.contentType, "text/plain");
    EXPECT_EQ(request.body, "q=1\r\nbtn=v\r\n");
    EXPECT_EQ(request.target, "_blank");
}

struct QueryCase {
    const char *html;
    QString clicked;
    QString expectedUrl; // empty: no navigation
    QString expectedTarget = {};
};

void checkQueries(const std::vector<QueryCase> &cases)
{
    for (const QueryCase &c : cases) {
        const DomTestPage page(c.html);
        page.byId(c.clicked)->click();
        if (c.expectedUrl.isEmpty()) {
            EXPECT_TRUE(page.host->requests.empty()) << c.html;
            continue;
        }
        const NavigationRequest request = page.onlyRequest();
        EXPECT_EQ(QString::fromLatin1(request.url.toEncoded()), c.expectedUrl) << c.html;
        EXPECT_EQ(request.target, c.expectedTarget) << c.html;
    }
}

TEST(FormSubmission, SubmittersAndFormOwners)
{
    checkQueries({
        {"<form action=/s><input type=image name=pic src=p.png id=go><input name=q value=1></form>", "go",
         "http://127.0.0.1/s?pic.x=0&pic.y=0&q=1"},
        {"<form action=/s><input type=image src=p.png id=go></form>", "go", "http://127.0.0.1/s?x=0&y=0"},
        {"<form action=/s><button id=go><span id=inner>Go</span></button></form>", "inner", "http://127.0.0.1/s?"},
        {"<form><input name=q value=1><input type=submit id=go></form>", "go", "http://127.0.0.1/dir/page.html?q=1"},
        {"<form id=f action=/s></form><input form=f name=outside value=1><input type=submit form=f id=go>", "go",
         "http://127.0.0.1/s?outside=1"},
        {"<form id=f action=/s><input form=nowhere name=x value=1><input name=in value=2><input type=submit id=go></form>",
         "go", "http://127.0.0.1/s?in=2"},
        {"<base target=framed><form action=/s><input type=submit id=go></form>", "go", "http://127.0.0.1/s?", "framed"},
        {"<form action=/s target=own><input type=submit id=go></form>", "go", "http://127.0.0.1/s?", "own"},
        {"<form action='mailto:a@b.c'><input name=subject value='a b'><input type=submit id=go></form>", "go",
         "mailto:a@b.c?subject=a%20b"},
        {"<input type=submit id=go value=orphan>", "go", ""},
        {"<form action=/s><input type=submit id=go disabled></form>", "go", ""},
        {"<form action=/s><button type=button id=go>x</button></form>", "go", ""},
        {"<form action=/s><button disabled id=b><span id=go>x</span></button></form>", "go", ""},
        {"<form action='javascript:go()'><input type=submit id=go></form>", "go", ""},
        {"<form action=/s method=dialog><input type=submit id=go></form>", "go", ""},
        {"<form action=/s><input type=text id=go></form>", "go", ""},
    });
}

TEST(FormSubmission, ConstraintsStopASubmission)
{
    checkQueries({
        {"<form action=/s><input name=q required><input type=submit id=go></form>", "go", ""},
        {"<form action=/s><input name=q required value=x><input type=submit id=go></form>", "go", "http://127.0.0.1/s?q=x"},
        {"<form action=/s novalidate><input name=q required><input type=submit id=go></form>", "go", "http://127.0.0.1/s?q="},
        {"<form action=/s><input name=q required><input type=submit formnovalidate id=go></form>", "go", "http://127.0.0.1/s?q="},
        {"<form action=/s><input name=q required disabled><input type=submit id=go></form>", "go", "http://127.0.0.1/s?"},
        {"<form action=/s><input type=email name=e value=nope><input type=submit id=go></form>", "go", ""},
        {"<form action=/s><input name=z pattern='[0-9]+' value=12a><input type=submit id=go></form>", "go", ""},
        {"<form action=/s><input name=z pattern='[0-9]+' value=12><input type=submit id=go></form>", "go", "http://127.0.0.1/s?z=12"},
        {"<form action=/s><input type=number name=n min=1 value=0><input type=submit id=go></form>", "go", ""},
        {"<form action=/s><input type=checkbox name=c required><input type=submit id=go></form>", "go", ""},
        {"<form action=/s><input type=radio name=r required><input type=radio name=r value=2 checked><input type=submit id=go></form>",
         "go", "http://127.0.0.1/s?r=2"},
        {"<form action=/s><select name=s required><option value=''>Pick<option>a</select><input type=submit id=go></form>", "go", ""},
        {"<form action=/s><textarea name=t required></textarea><input type=submit id=go></form>", "go", ""},
    });
}

} // namespace
