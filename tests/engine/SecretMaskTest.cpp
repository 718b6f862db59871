#include "QtPrinters.h"

#include "engine/SecretMask.h"

#include <gtest/gtest.h>

namespace {

TEST(SecretMask, ShowsEverySpellingOfTheTextAsTheMarkerAndLeavesTheRest)
{
    const SecretMask mask(QStringLiteral("p&ss w\u00f6rd!"));
    const struct {
        QString text;
        QString shown;
    } cases[] = {
        {QStringLiteral("fill;pw;p&ss w\u00f6rd!"), QStringLiteral("fill;pw;$$$")},
        {QStringLiteral("http://a/?pw=p%26ss+w%C3%B6rd%21&x=1"), QStringLiteral("http://a/?pw=$$$&x=1")},
        {QStringLiteral("http://a/p%26ss%20w%c3%b6rd%21"), QStringLiteral("http://a/$$$")},
        {QStringLiteral("http://a/p&ss%20w%C3%B6rd!"), QStringLiteral("http://a/$$$")},
        {QStringLiteral("<input value=\"p&amp;ss w\u00f6rd!\">"), QStringLiteral("<input value=\"$$$\">")},
        {QStringLiteral("nothing of it, p&ss alone"), QStringLiteral("nothing of it, p&ss alone")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(mask.apply(c.text), c.shown) << c.text.toStdString();
    EXPECT_EQ(SecretMask().apply(QStringLiteral("$$$ stays")), QStringLiteral("$$$ stays"));
    EXPECT_EQ(SecretMask(QString()).apply(QStringLiteral("text")), QStringLiteral("text")) << "an empty text hides nothing";
}

} // namespace
