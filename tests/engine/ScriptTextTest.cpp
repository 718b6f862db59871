#include "engine/LoweredTextSearch.h"
#include "engine/ScriptError.h"
#include "engine/ScriptText.h"
#include "engine/Values.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

int errorNumberOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const ScriptError &error) {
        return error.number();
    }
    return 0;
}

TEST(ScriptText, CutsLinesOnlyAtCrLfAndKeepsEveryField)
{
    const struct {
        QString text;
        QStringList lines;
    } lineCases[] = {
        {QString(), {}},
        {QStringLiteral("nav;x"), {QStringLiteral("nav;x")}},
        {QStringLiteral("beep\r\n"), {QStringLiteral("beep"), QString()}},
        {QStringLiteral("\r\n"), {QString(), QString()}},
        {QStringLiteral("a\nb\rc\r\nd"), {QStringLiteral("a\nb\rc"), QStringLiteral("d")}},
        {QStringLiteral("a\r\n\r\nb"), {QStringLiteral("a"), QString(), QStringLiteral("b")}},
    };
    for (const auto &testCase : lineCases)
        EXPECT_EQ(splitLines(testCase.text), testCase.lines) << testCase.text.toStdString();

    EXPECT_EQ(splitFields(QStringLiteral("fill;;x;")), (QStringList{"fill", "", "x", ""}));
    EXPECT_EQ(splitFields(QStringLiteral(";")), (QStringList{"", ""}));
    EXPECT_EQ(splitFields(QStringLiteral(" nav ; a ")), (QStringList{" nav ", " a "}));
}

TEST(ScriptText, RandomMarkerGivesAWholeNumberWithinTheRangeAndDropsTheRest)
{
    std::set<int> seen;
    for (int draw = 0; draw < 400; ++draw) {
        QString field = QStringLiteral("#10#");
        const QString result = parseCommand(field);
        EXPECT_EQ(field, result);
        bool ok = false;
        const int number = result.toInt(&ok);
        ASSERT_TRUE(ok) << result.toStdString();
        ASSERT_GE(number, 0);
        ASSERT_LE(number, 10);
        seen.insert(number);
    }
    EXPECT_EQ(seen.size(), 11u) << "every value 0..10, the ends included, comes up";

    QString wordAndMarker = QStringLiteral("page#3#tail#x");
    const int value = parseCommand(wordAndMarker).toInt();
    EXPECT_TRUE(value >= 0 && value <= 3) << wordAndMarker.toStdString();
    EXPECT_EQ(wordAndMarker, QString::number(value));

    QString plain = QStringLiteral("http://example.com/");
    EXPECT_EQ(parseCommand(plain), QStringLiteral("http://example.com/"));

    QString negative = QStringLiteral("#-4#");
    const int negativeValue = parseCommand(negative).toInt();
    EXPECT_TRUE(negativeValue <= 0 && negativeValue >= -4);
}

TEST(ScriptText, RandomMarkerFailuresAreMissingFieldAndConversionErrors)
{
    const struct {
        QString field;
        int error;
    } cases[] = {
        {QStringLiteral("http://x/#top"), SubscriptOutOfRange},
        {QStringLiteral("##"), TypeMismatch},
        {QStringLiteral("#ten#"), TypeMismatch},
    };
    for (const auto &testCase : cases) {
        QString field = testCase.field;
        EXPECT_EQ(errorNumberOf([&] { parseCommand(field); }), testCase.error) << testCase.field.toStdString();
    }
    QString huge = QStringLiteral("#1e12#");
    const int hugeError = errorNumberOf([&] { parseCommand(huge); });
    EXPECT_TRUE(hugeError == 0 || hugeError == Overflow);
}

TEST(ScriptText, VariableMarkerIsReplacedLeftToRightWithoutOverlap)
{
    EXPECT_EQ(substituteVariable(QStringLiteral("fill;q;$$$"), QStringLiteral("cats")), QStringLiteral("fill;q;cats"));
    EXPECT_EQ(substituteVariable(QStringLiteral("$$$$"), QStringLiteral("T")), QStringLiteral("T$"));
    EXPECT_EQ(substituteVariable(QStringLiteral("$$$;$$$"), QString()), QStringLiteral(";"));
    EXPECT_FALSE(hasVariableMarker(QStringLiteral("$$")));
}

TEST(ScriptText, LowerCasingAgreesWithQtOnEveryKindOfText)
{
    const QString texts[] = {
        QString(),
        QStringLiteral("<A HREF=\"/Login?Next=1\">Sign IN</A> @[`{"),
        QString::fromUtf16(u"\u00C9T\u00C9 \u00A9 2024 \u2014 ZURICH \u00DCBER"),
        // Expands to two characters; the Greek capitals; a capital outside the basic plane.
        QString::fromUtf16(u"I\u0130I \u03A3\u039F\u03A3 A\U00010400Z \U00010400"),
        QString::fromUtf16(u"\u0130"),
        // Lone surrogates: before a letter, at the end, alone.
        QString::fromUtf16(u"AB") + QChar(0xD801) + QStringLiteral("CD"),
        QStringLiteral("AB") + QChar(0xD801),
        QChar(0xDC01) + QStringLiteral("CD") + QChar(0xD801) + QChar(0xD801) + QStringLiteral("E"),
    };
    for (const QString &text : texts)
        EXPECT_EQ(lowerCased(text), text.toLower()) << text.toStdString();
    EXPECT_EQ(lowerCased(QStringLiteral("MiXeD")), QStringLiteral("mixed"));

    // Mixtures of ASCII with Latin, Greek, Cyrillic, Armenian and letterlike characters.
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pick(0x20, 0x5FF);
    for (int round = 0; round < 500; ++round) {
        QString text;
        for (int i = int(random() % 72); i > 0; --i)
            text += QChar(random() % 3 ? char16_t(pick(random) % 0x80) : char16_t(pick(random)));
        text += QChar(char16_t(0x2120 + random() % 0x40));
        ASSERT_EQ(lowerCased(text), text.toLower()) << text.toStdString();
    }
}

// The search in pieces finds what a search of the whole lowered text finds, wherever the text is
// cut: in a match, in a surrogate pair, beside a letter that lowers to two characters.
TEST(LoweredTextSearch, FindsWhatTheWholeLoweredTextHoldsWhereverItIsCut)
{
    const QString texts[] = {
        QStringLiteral("<P CLASS=\"Summary\">3 Offers for DESK lamp</P>"),
        QString::fromUtf16(u"A𐐀BİX ΣΟΣ"),
        QStringLiteral("ab") + QChar(0xD801),
        QStringLiteral("x"),
    };
    const QString needles[] = {
        QStringLiteral("3 offers for desk LAMP"), QStringLiteral("class=\"summary\""), QStringLiteral("</p>"),
        QStringLiteral("missing"), QString(), QString::fromUtf16(u"𐐨b"), QString::fromUtf16(u"i̇x"),
        QString::fromUtf16(u"σοσ"), QStringLiteral("b") + QChar(0xD801), QStringLiteral("X"),
    };
    for (const QString &text : texts) {
        for (const QString &needle : needles) {
            const bool expected = lowerCased(text).contains(lowerCased(needle));
            for (qsizetype first = 0; first <= text.size(); ++first) {
                for (qsizetype second = first; second <= text.size(); ++second) {
                    LoweredTextSearch search(needle);
                    for (const QStringView piece : {QStringView(text).first(first), QStringView(text).sliced(first, second - first),
                                                    QStringView(text).sliced(second)}) {
                        if (!search.read(piece))
                            break;
                    }
                    ASSERT_EQ(search.found(), expected) << text.toStdString() << " / " << needle.toStdString() << " cut at "
                                                        << first << ", " << second;
                }
            }
        }
    }
    EXPECT_FALSE(LoweredTextSearch(QString()).found());
    LoweredTextSearch search(QStringLiteral("b"));
    EXPECT_FALSE(search.read(QStringLiteral("aB")));
    EXPECT_TRUE(search.found());
}

TEST(Values, WholeNumbersRoundHalfToEvenAndOverflowAsError6)
{
    const struct {
        QString text;
        int expected; // for errors: the error number
        bool fails;
    } int16Cases[] = {
        {QStringLiteral("2.5"), 2, false},
        {QStringLiteral("3.5"), 4, false},
        {QStringLiteral("-2.5"), -2, false},
        {QStringLiteral("0.5"), 0, false},
        {QStringLiteral(" 7 "), 7, false},
        {QStringLiteral("+7"), 7, false},
        {QStringLiteral("1e3"), 1000, false},
        {QStringLiteral(".5"), 0, false},
        {QStringLiteral("5."), 5, false},
        {QStringLiteral("32767.4"), 32767, false},
        {QStringLiteral("-32768.5"), -32768, false},
        {QStringLiteral("32767.5"), Overflow, true},
        {QStringLiteral("-32769"), Overflow, true},
        {QStringLiteral("1e400"), Overflow, true},
        {QStringLiteral("abc"), TypeMismatch, true},
        {QString(), TypeMismatch, true},
        {QStringLiteral("1 2"), TypeMismatch, true},
        {QStringLiteral("0x10"), TypeMismatch, true},
        {QStringLiteral("1,5"), TypeMismatch, true},
        {QStringLiteral("."), TypeMismatch, true},
    };
    for (const auto &testCase : int16Cases) {
        if (testCase.fails)
            EXPECT_EQ(errorNumberOf([&] { (void)toInt16(testCase.text); }), testCase.expected) << testCase.text.toStdString();
        else
            EXPECT_EQ(toInt16(testCase.text), testCase.expected) << testCase.text.toStdString();
    }
    EXPECT_EQ(toInt32(QStringLiteral("2147483646.5")), 2147483646);
    EXPECT_EQ(errorNumberOf([] { (void)toInt32(QStringLiteral("2147483647.5")); }), Overflow);
    EXPECT_EQ(toInt32(QStringLiteral("-70000")), -70000);
}

TEST(Values, TruthValuesAreWordsOrNumbers)
{
    EXPECT_TRUE(toFlag(QStringLiteral("TRUE")));
    EXPECT_TRUE(toFlag(QStringLiteral("True")));
    EXPECT_FALSE(toFlag(QStringLiteral("false")));
    EXPECT_FALSE(toFlag(QStringLiteral("0")));
    EXPECT_TRUE(toFlag(QStringLiteral("-1")));
    EXPECT_TRUE(toFlag(QStringLiteral("0.1")));
    EXPECT_EQ(errorNumberOf([] { (void)toFlag(QStringLiteral("yes")); }), TypeMismatch);
    EXPECT_EQ(errorNumberOf([] { (void)toFlag(QString()); }), TypeMismatch);
}

} // namespace
