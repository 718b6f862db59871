#include "QtPrinters.h"

#include "engine/ScriptFile.h"

#include <gtest/gtest.h>

namespace {

const QString kMark(QChar::ByteOrderMark);

TEST(ScriptFile, LoadsLinesAsEditorTextAndDropsOneLeadingByteOrderMark)
{
    const struct {
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"", ""},
        {"\n", ""},
        {"beep", "beep"},
        {"a\r\nb\r\n", "a\r\nb"},
        {"a\nb\n\n", "a\r\nb\r\n"},
        {"a\rb\n", "a\rb"},
        {"\xef\xbb\xbf" "beep", "beep"},
        {"\xef\xbb\xbf\xef\xbb\xbf" "beep", kMark + "beep"},
        {"beep\n\xef\xbb\xbf", "beep\r\n" + kMark},
    };
    for (const auto &c : cases)
        EXPECT_EQ(scriptTextFromBytes(c.bytes), c.text) << c.bytes.toHex().constData();
}

TEST(ScriptFile, SavedTextLoadsBackUnchanged)
{
    const QString texts[] = {"", "beep", "a\r\nb\r\n", "a\r\r\nb\r", "x" + kMark, kMark, kMark + "beep\r\n" + kMark};
    for (const QString &text : texts)
        EXPECT_EQ(scriptTextFromBytes(scriptFileBytes(text)), text);
    EXPECT_EQ(scriptFileBytes("beep"), "beep\r\n");
    // A text that starts with the mark itself is saved behind a mark of the file's own.
    EXPECT_EQ(scriptFileBytes(kMark + "beep"), "\xef\xbb\xbf\xef\xbb\xbf" "beep\r\n");
}

} // namespace
