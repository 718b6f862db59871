#include "engine/ScriptError.h"
#include "engine/Values.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(NumericText, NumbersBeyondTheDoubleRangeStayNumbers)
{
    const struct {
        const char *text;
        double number;
    } cases[] = {
        {"1e-400", 0.0}, {"-1e-400", 0.0}, {" 1.e-400 ", 0.0}, {"123456789012345678901234567890e-500", 0.0},
        {"4.9e-324", 4.9e-324}, {"0e-999", 0.0}, {"1e400", INFINITY}, {"-1e400", -INFINITY},
    };
    for (const auto &c : cases) {
        const auto number = parseNumericText(QString::fromLatin1(c.text));
        ASSERT_TRUE(number.has_value()) << c.text;
        EXPECT_EQ(*number, c.number) << c.text;
    }
    EXPECT_EQ(toInt16(QStringLiteral("1e-400")), 0);
    EXPECT_EQ(toInt32(QStringLiteral("-1e-400")), 0);
    EXPECT_FALSE(toFlag(QStringLiteral("1e-400")));
    for (const char *text : {"1e400", "-1e400"}) {
        try {
            (void)toInt32(QString::fromLatin1(text));
            ADD_FAILURE() << text << " converted";
        } catch (const ScriptError &error) {
            EXPECT_EQ(error.number(), Overflow) << text;
        }
    }
}

} // namespace
