// Small pages drawn by the page view offscreen, each showing one thing a browser draws and the
// layout engine alone does not, counted in pixels.
#include "PagePictures.h"
#include "QtPrinters.h"
#include "QtWait.h"
#include "TestServer.h"

#include "browser/builtin/BuiltinBrowser.h"
#include "browser/builtin/BuiltinWindow.h"
#include "browser/builtin/view/PageView.h"
#include "browser/builtin/view/PainterContainer.h"
#include "browser/builtin/view/PageResources.h"

#include <QFile>
#include <QFontInfo>
#include <QImage>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace {

constexpr QRgb Red = qRgb(255, 0, 0);
constexpr QRgb Green = qRgb(0, 128, 0);
constexpr QRgb Blue = qRgb(0, 0, 255);
constexpr QRgb White = qRgb(255, 255, 255);

// A page view 400 by 300 pixels drawing the pages of a test server.
struct DrawnPages {
    TestServer server;
    BuiltinBrowser browser;
    std::shared_ptr<BuiltinWindow> window = browser.openWindow();
    PageView view{browser.network(), browser.limits()};

    DrawnPages()
    {
        view.setAttribute(Qt::WA_DontShowOnScreen);
        view.resize(400, 300);
        view.show();
    }

    // The page drawn once `ready` holds for its picture (or after ten seconds).
    QImage draw(const std::string &html, const std::function<bool(const QImage &)> &ready = {})
    {
        const std::string path = "/page" + std::to_string(++m_pages);
        server.page(path, html);
        window->navigate(server.url(path));
        waitUntil([&] { return !window->isBusy(); });
        view.showDocument(window->document(), QUrl(server.url(path)));
        QImage picture;
        waitUntil([&] {
            picture = shown();
            return !ready || ready(picture);
        });
        return picture;
    }

    QImage shown()
    {
        view.refreshNow();
        return view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

private:
    int m_pages = 0;
};

int inkOf(const QImage &image)
{
    return inkIn(image, image.rect());
}

TEST(PageLook, NumericWeightsDrawBoldAndTheLightSchemeApplies)
{
    DrawnPages pages;
    const std::string text = "<p>Some words of text in a paragraph that is long enough</p>";
    const int normal = inkOf(pages.draw("<style>p { font-weight: 400 }</style>" + text));
    const int heavy = inkOf(pages.draw("<style>p { font-weight: 700 }</style>" + text));
    EXPECT_GT(heavy, normal * 6 / 5) << normal << " " << heavy;

    const QImage light = pages.draw("<style>body { background: rgb(255, 0, 0) }"
                                    "@media (prefers-color-scheme: dark) { body { background: rgb(0, 0, 255) } }</style><p>x");
    EXPECT_EQ(pixelsOf(light, Blue), 0);
    EXPECT_GT(pixelsOf(light, Red), 300 * 200) << "the body's background fills the window";
}

TEST(PageLook, NestedRulesCustomPropertiesAndComputedValuesApply)
{
    DrawnPages pages;
    const QImage nested = pages.draw(
        "<style>body { margin: 0 } .a { background: rgb(255, 0, 0); height: 40px; .b { background: rgb(0, 0, 255); height: 10px } }"
        "</style><div class=a><div class=b></div></div>");
    EXPECT_EQ(nested.pixel(10, 5), Blue);
    EXPECT_EQ(nested.pixel(10, 30), Red);

    const QImage custom = pages.draw(
        "<style>:root { --ok: rgb(0, 128, 0); --w: 50px } body { margin: 0 }"
        "#a { background: var(--ok); height: 20px; width: calc(var(--w) * 2 + 10px) }"
        "#b { background: var(--missing, hsl(240, 100%, 50%)); height: 20px; position: sticky; top: 0 }"
        "#c { background: rgb(255, 0, 0); height: 20px }</style><div id=a></div><div id=b></div><div id=c></div>");
    EXPECT_EQ(custom.pixel(5, 10), Green);
    EXPECT_EQ(custom.pixel(109, 10), Green);
    EXPECT_EQ(custom.pixel(111, 10), White);
    EXPECT_EQ(custom.pixel(5, 30), Blue) << "sticky stays in the flow";
    EXPECT_EQ(custom.pixel(5, 50), Red);

    // Style attributes take custom properties from their element and its ancestors, then the sheets'.
    const QImage attributes = pages.draw(
        "<style>:root { --r: rgb(255, 0, 0) } body { margin: 0 } p { margin: 0 }</style>"
        "<div style=\"--x: rgb(0, 0, 255); --h: 20px\"><p style=\"height: var(--h); background: var(--x)\"></p>"
        "<p style=\"height: calc(var(--h) / 2); background: var(--missing, rgb(0, 128, 0))\"></p>"
        "<p style=\"height: 10px; background: var(--r)\"></p></div>");
    const std::vector<std::pair<int, QRgb>> column = {{19, Blue}, {20, Green}, {29, Green}, {35, Red}, {40, White}};
    for (const auto &[y, colour] : column)
        EXPECT_EQ(attributes.pixel(5, y), colour) << "at " << y;
}

TEST(PageLook, PresentationalAttributesAndClosedDetails)
{
    DrawnPages pages;
    const QImage body = pages.draw("<body bgcolor=\"#008000\" text=\"#0000ff\"><p>words</p>");
    EXPECT_GT(pixelsOf(body, Green), 350 * 250);
    EXPECT_GT(pixelsOf(body, Blue) + inkOf(body) - pixelsOf(body, Green), 0);

    const QImage cells = pages.draw("<style>body { margin: 0 }</style><table cellpadding=10>"
                                    "<tr><td style=\"background: rgb(0, 0, 255)\">x</td></tr></table>");
    EXPECT_EQ(cells.pixel(5, 35), Blue) << "the cell's padding around its line";
    EXPECT_EQ(cells.pixel(5, 50), White);

    const QImage details = pages.draw("<details><summary>More</summary><div style=\"height: 50px; background: red\"></div></details>"
                                      "<details open><summary>Open</summary><div style=\"height: 20px; background: blue\"></div></details>");
    EXPECT_EQ(pixelsOf(details, Red), 0) << "closed content is hidden";
    EXPECT_GT(pixelsOf(details, Blue), 1000) << "open content is shown";

    const int summaryOnly = inkOf(pages.draw("<details><summary>More</summary></details>"));
    const int closedText = inkOf(pages.draw("<details><summary>More</summary>Words of the closed part<p>and more</p></details>"));
    EXPECT_EQ(closedText, summaryOnly) << "bare text of a closed disclosure is hidden too";
}

TEST(PageLook, VerticalMarginsCollapseThroughWrappersPaddedBoxesAndEmptyOnes)
{
    DrawnPages pages;
    const QImage picture = pages.draw(
        "<style>body { margin: 0 } div { height: 10px } .w { height: auto }"
        "#a { margin-top: 30px; background: rgb(0, 0, 255) } #b { padding: 5px; margin-bottom: 20px; background: rgb(255, 0, 0) }"
        "#c { margin: 20px 0 25px; background: rgb(0, 128, 0) } #d { margin-top: 10px; background: rgb(0, 0, 255) }</style>"
        "<div class=w><div class=w><div id=a></div></div></div><div id=b></div>"
        "<div class=w><div class=w><div id=c></div></div></div><div class=w style=\"margin: 15px 0\"></div><div id=d></div>");
    const std::vector<std::pair<int, QRgb>> column = {{29, White}, {30, Blue},  {39, Blue},   {40, Red},  {59, Red},
                                                      {79, White}, {80, Green}, {89, Green}, {114, White}, {115, Blue}};
    for (const auto &[y, colour] : column)
        EXPECT_EQ(picture.pixel(5, y), colour) << "at " << y;
}

TEST(PageLook, CurrentColorAndUnsetBorderColoursAreTheElementsColour)
{
    DrawnPages pages;
    const QImage picture = pages.draw(
        "<style>body { margin: 0 } div { width: 50px; height: 20px }"
        ".a { color: rgb(0, 0, 255); border: 10px solid currentColor } .b { color: rgb(0, 128, 0); border: 10px solid }"
        ".c { color: rgb(255, 0, 0); background-color: currentColor }</style><div class=a></div><div class=b></div><div class=c></div>");
    EXPECT_EQ(picture.pixel(5, 5), Blue);
    EXPECT_EQ(picture.pixel(5, 45), Green);
    EXPECT_EQ(picture.pixel(5, 85), Red);
}

// The rows of the picture with anything drawn in them.
int inkedRows(const QImage &image)
{
    int rows = 0;
    for (int y = 0; y < image.height(); ++y) {
        bool inked = false;
        for (int x = 0; x < image.width() && !inked; ++x)
            inked = image.pixel(x, y) != White;
        rows += inked;
    }
    return rows;
}

TEST(PageLook, SvgPicturesAltTextsLineBreaksAndDisclosureTriangles)
{
    DrawnPages pages;
    pages.server.page("/box.svg",
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"40\" height=\"30\"><rect width=\"40\" height=\"30\" fill=\"#ff0000\"/>"
                      "<image href=\"file:///usr/share/pixmaps/debian-logo.png\" width=\"40\" height=\"30\"/></svg>",
                      "image/svg+xml");
    const QImage svg = pages.draw("<img src=/box.svg>", [](const QImage &picture) { return pixelsOf(picture, Red) >= 40 * 30; });
    EXPECT_EQ(pixelsOf(svg, Red), 40 * 30) << "drawn at its size, without the local file it names";

    EXPECT_GT(inkOf(pages.draw("<img src=/missing.png alt=\"A picture that failed\">")), 100);

    const int oneLine = inkedRows(pages.draw("<p>one two</p>"));
    const int twoLines = inkedRows(pages.draw("<p>one<br>two</p>"));
    EXPECT_GT(twoLines, oneLine * 3 / 2);

    const int plain = inkOf(pages.draw("<div>More</div>"));
    const int summary = inkOf(pages.draw("<details><summary>More</summary><p>inside</p></details>"));
    EXPECT_GT(summary, plain + 20) << "a triangle before the summary";
}

// The lowest row with anything drawn in the columns.
int bottomOfInk(const QImage &image, int fromX, int toX)
{
    for (int y = image.height() - 1; y >= 0; --y)
        for (int x = fromX; x < toX; ++x)
            if (image.pixel(x, y) != White)
                return y;
    return -1;
}

TEST(PageLook, ChecksStandOnTheBaselineAndShortPagesHaveNoScrollBar)
{
    DrawnPages pages;
    const QImage form = pages.draw("<style>body { margin: 0 } span { margin-left: 40px }</style>"
                                   "<p><input type=checkbox checked><span>Label</span></p>");
    const int box = bottomOfInk(form, 0, 25);
    const int text = bottomOfInk(form, 40, 120);
    EXPECT_LE(std::abs(box - text), 1) << "the box's bottom on the text's baseline: " << box << " " << text;
    EXPECT_FALSE(pages.view.verticalScrollBar()->isVisible());
    pages.draw("<div style=\"height: 2000px\">tall</div>");
    EXPECT_TRUE(waitUntil([&] { return pages.view.verticalScrollBar()->isVisible(); }, 2000))
        << "a page longer than the window scrolls";
}

// The rightmost column with anything drawn in it.
int rightOfInk(const QImage &image)
{
    for (int x = image.width() - 1; x >= 0; --x)
        for (int y = 0; y < image.height(); ++y)
            if (image.pixel(x, y) != White)
                return x;
    return -1;
}

TEST(PageLook, FontFacesLoadThroughThePageAndApplyByFamily)
{
    DrawnPages pages;
    QFile font(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"));
    ASSERT_TRUE(font.open(QIODevice::ReadOnly));
    pages.server.page("/fonts/mono.ttf", font.readAll().toStdString(), "font/ttf");
    pages.server.page("/css/face.css",
                      "@font-face { font-family: 'Page Face'; src: url(missing.woff2) format('woff2'), url(../fonts/mono.ttf) }"
                      "p { font-family: 'Page Face', serif; font-size: 20px }",
                      "text/css");
    const std::string text = "<p>iiiiiiiiii</p>";
    const int plain = rightOfInk(pages.draw("<style>p { font-size: 20px }</style>" + text));
    const int faced = rightOfInk(pages.draw("<link rel=stylesheet href=/css/face.css>" + text,
                                            [plain](const QImage &picture) { return rightOfInk(picture) > plain + 40; }));
    EXPECT_GT(faced, plain + 40) << "ten letters as wide as a fixed-width font draws them: " << plain << " " << faced;
}

TEST(PageLook, GenericFamiliesAreTheFontsOtherBrowsersUseHere)
{
    DrawnPages pages;
    ArrivedResources resources = PageResources(pages.browser.network(), pages.browser.limits()).arrived();
    const FieldFocus focus;
    PainterContainer container(resources, focus);
    litehtml::font_metrics metrics;
    const auto serif = container.create_font("serif", 16, 400, litehtml::fontStyleNormal, 0, &metrics);
    EXPECT_EQ(QFontInfo(PainterContainer::layoutFont(serif).font).family(), "Liberation Serif");
    const auto sans = container.create_font("Nowhere Sans, sans-serif", 16, 400, litehtml::fontStyleNormal, 0, &metrics);
    EXPECT_EQ(QFontInfo(PainterContainer::layoutFont(sans).font).family(), "Liberation Sans");
    const auto mono = container.create_font("monospace", 16, 400, litehtml::fontStyleNormal, 0, &metrics);
    EXPECT_EQ(PainterContainer::layoutFont(mono).font.pixelSize(), 13) << "as browsers draw the bare monospace family";
}

} // namespace
