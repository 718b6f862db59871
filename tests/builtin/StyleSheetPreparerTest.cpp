#include "browser/builtin/view/CssValues.h"
#include "browser/builtin/view/StyleSheetPreparer.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char *input;
    const char *expected;
};

QString repeated(const QString &part, int times)
{
    QString whole;
    for (int i = 0; i < times; ++i)
        whole += part;
    return whole;
}

TEST(StyleSheetPreparer, WritesNestedRulesOutFlat)
{
    const Case cases[] = {
        {"a{color:red}", "a{color:red;}\n"},
        {".a { color: red; .b { color: blue } }", ".a{color:red;}\n.a .b{color:blue;}\n"},
        {".a, .c { &:hover { color: blue } > p { margin: 0 } }",
         ".a:hover,.c:hover{color:blue;}\n.a > p,.c > p{margin:0;}\n"},
        {".a { @media (min-width: 10px) { color: red } }", "@media (min-width: 10px){.a{color:red;}\n}\n"},
        {"/* note */ p /* x */ { color: /* y */ red }", "p{color:red;}\n"},
        {"@supports (display: grid) { p { color: red } } @supports not (display: grid) { p { color: blue } }",
         "p{color:red;}\n"},
        {"@layer base { p { color: red } } @layer a, b;", "p{color:red;}\n"},
        {"@keyframes spin { from { color: red } } p { color: blue }", "p{color:blue;}\n"},
        {"p { color: red; background: url( ; } }}} div { color: blue }", "p{color:red;}\n"},
    };
    for (const Case &test : cases)
        EXPECT_EQ(StyleSheetPreparer().sheet(QString::fromUtf8(test.input)), QString::fromUtf8(test.expected)) << test.input;
}

TEST(StyleSheetPreparer, DecidesTheLightSchemeAndWritesImportsAsUrls)
{
    const Case cases[] = {
        {"@media (prefers-color-scheme: dark) { body { color: white } }",
         "@media (min-monochrome: 1){body{color:white;}\n}\n"},
        {"@media screen and (prefers-color-scheme:light) { body { color: black } }",
         "@media screen and (min-color: 1){body{color:black;}\n}\n"},
        {"@import \"x.css\";", "@import url(x.css);"},
        {"@import 'a b.css' screen;", "@import url(a%20b.css) screen;"},
        {"@import url(\"y.css\") (prefers-color-scheme: dark);", "@import url(y.css) (min-monochrome: 1);"},
    };
    for (const Case &test : cases)
        EXPECT_EQ(StyleSheetPreparer().sheet(QString::fromUtf8(test.input)), QString::fromUtf8(test.expected)) << test.input;
}

TEST(StyleSheetPreparer, PutsInCustomPropertiesOfTheRootAndComputedValues)
{
    RootElements root;
    root.classes = QStringList{QStringLiteral("light"), QStringLiteral("js")};
    StyleSheetPreparer preparer(root);
    const QString sheet = preparer.sheet(
        u":root { --fg: #123456; --gap: 4px } .light { --bg: hsl(0, 100%, 50%) } .navy { --bg: #000 }"
        u"@media (prefers-color-scheme: dark) { :root { --fg: white } }"
        u"body { color: var(--fg); background: var(--bg); margin: calc(var(--gap) * 2 + 1px) }"
        u"p { color: var(--missing); font-weight: 600; position: sticky; width: var(--missing, 50%) }");
    EXPECT_EQ(sheet, "body{color:#123456;background:rgb(255,0,0);margin:9px;}\np{font-weight:bold;position:relative;width:50%;}\n");
    EXPECT_EQ(preparer.declarations(u"color: var(--fg) !important; --x: 1; padding: min(10px, 2em)"),
              "color:#123456 !important;padding:10px;");
}

TEST(StyleSheetPreparer, ComputesMathAndColourFunctions)
{
    const Case cases[] = {
        {"calc(100px - 2 * 10px)", "80px"},
        {"calc(1in + 4px)", "100px"},
        {"calc(100% - 20px)", "100%"},
        {"calc(1em + 4px)", "20px"},
        {"max(10px, 3px)", "10px"},
        {"clamp(10px, 50px, 30px)", "30px"},
        {"min(100%, 800px)", "100%"},
        {"1px solid hsl(120 100% 25% / 50%)", "1px solid rgba(0,128,0,0.5)"},
        {"rgb(10 20 30)", "rgb(10,20,30)"},
        {"#ff000080", "rgba(255,0,0,0.502)"},
        {"light-dark(#fff, #000)", "#fff"},
        {"url(calc(1px)) calc(2px)", "url(calc(1px)) 2px"},
        {"linear-gradient(hsl(0,0%,0%), red)", "linear-gradient(rgb(0,0,0), red)"},
        {"calc(1px / 0)", "calc(1px / 0)"},
    };
    for (const Case &test : cases)
        EXPECT_EQ(computeFunctions(QString::fromUtf8(test.input)), QString::fromUtf8(test.expected)) << test.input;
}

TEST(StyleSheetPreparer, CustomPropertiesThatNameThemselvesOrGrowWithoutEndAreDropped)
{
    CssValues::CustomProperties custom;
    custom[QStringLiteral("--a")] = QStringLiteral("var(--a)");
    for (int i = 0; i < 12; ++i)
        custom[QStringLiteral("--d%1").arg(i)] = QStringLiteral("var(--d%1) var(--d%1)").arg(i + 1);
    custom[QStringLiteral("--d12")] = QString(100, u'x');
    const CssValues values(custom);
    EXPECT_FALSE(values.substituteVariables(u"var(--a)"));
    EXPECT_EQ(values.substituteVariables(u"var(--a, 3px)"), "3px");
    EXPECT_FALSE(values.substituteVariables(u"var(--d0)"));
}

TEST(StyleSheetPreparer, DeepNestingIsCutAndImportsAreFollowedOncePerPageAndEightDeep)
{
    // Blocks and parentheses nested without end: what lies past the bound is dropped, in time
    // and memory proportional to the text.
    const QString media = repeated(QStringLiteral("@media all{"), 50'000) + QStringLiteral("p{color:red}");
    const QString prepared = StyleSheetPreparer().sheet(media);
    EXPECT_LT(prepared.size(), 64 * 20);
    EXPECT_FALSE(prepared.contains(QLatin1StringView("color")));
    const QString shallow = StyleSheetPreparer().sheet(repeated(QStringLiteral("@media all{"), 10) + QStringLiteral("p{color:red}"));
    EXPECT_TRUE(shallow.contains(QLatin1StringView("p{color:red;}")));
    const QString selector = repeated(QStringLiteral(":not("), 50'000) + QStringLiteral("p{color:red} div{color:blue}");
    EXPECT_FALSE(StyleSheetPreparer().sheet(selector).contains(QLatin1StringView("color")));
    const QString nested = repeated(QStringLiteral("a{"), 50'000);
    EXPECT_LT(StyleSheetPreparer().sheet(nested).size(), 100);
    EXPECT_EQ(StyleSheetPreparer().declarations(QStringLiteral("width:") + repeated(QStringLiteral("calc("), 100)), "");

    StyleSheetPreparer imports;
    EXPECT_TRUE(imports.admitImport(QStringLiteral("http://h/s.css"), QString()));
    EXPECT_FALSE(imports.admitImport(QStringLiteral("http://h/s.css"), QStringLiteral("http://h/s.css"))) << "itself";
    QString from = QStringLiteral("http://h/s.css");
    for (int depth = 2; depth <= StyleSheetPreparer::MaxImportDepth; ++depth) {
        const QString next = QStringLiteral("http://h/%1.css").arg(depth);
        EXPECT_TRUE(imports.admitImport(next, from)) << depth;
        from = next;
    }
    EXPECT_FALSE(imports.admitImport(QStringLiteral("http://h/deeper.css"), from));
    EXPECT_FALSE(imports.admitImport(QStringLiteral("http://h/2.css"), QString())) << "once per page";
}

} // namespace
