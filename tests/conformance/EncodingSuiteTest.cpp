#include "SuiteData.h"

#include "browser/builtin/dom/HtmlDocument.h"
#include "browser/builtin/dom/TextCodec.h"

#include <gtest/gtest.h>

namespace {

// The html5lib encoding cases: a page served with no charset is read in the encoding they name.
constexpr double EncodingFloorPercent = 100.0;

TEST(EncodingSuite, PagesWithoutACharsetAreReadAsBrowsersReadThem)
{
    PassRate rate("HTML encoding sniffing", EncodingFloorPercent);
    for (const DatCase &c : readDatFolder(QStringLiteral("html-encoding"))) {
        const auto document = buildHtmlDocument(c.at("data"), "text/html", QUrl(), {});
        const QByteArray expected = dom::encodingForLabel(c.at("encoding").trimmed()).value_or("?");
        const QByteArray found = documentCharset(*document).toLatin1();
        rate.count(expected == found);
        if (expected != found && qEnvironmentVariableIsSet("NAVRELAY_SUITE_FAILURES"))
            std::printf("%s: read as %s, not %s: %s\n", c.at("file").constData(), found.constData(), expected.constData(),
                        c.at("data").left(100).constData());
    }
    rate.print();
    EXPECT_GE(rate.percent(), rate.floorPercent());
}

} // namespace
