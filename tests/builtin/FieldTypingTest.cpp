#include "QtPrinters.h"

#include "browser/builtin/view/FieldTyping.h"

#include <QKeyEvent>

#include <gtest/gtest.h>

namespace {

TEST(FieldTyping, KeysEditTheValueAtTheCaret)
{
    using Kind = FieldKeyOutcome::Kind;
    const struct {
        int key;
        QString text;
        QString value;
        qsizetype caret;
        bool multiLine;
        int maxLength;
        Kind expectedKind;
        QString expectedValue;
        qsizetype expectedCaret;
    } cases[] = {
        {Qt::Key_A, "a", "xy", 1, false, -1, Kind::Edited, "xay", 2},
        {Qt::Key_A, "a", "xy", 9, false, -1, Kind::Edited, "xya", 3},
        {Qt::Key_A, "a", "xy", 2, false, 2, Kind::Moved, "xy", 2},
        {Qt::Key_Backspace, "", "xy", 1, false, -1, Kind::Edited, "y", 0},
        {Qt::Key_Backspace, "", "xy", 0, false, -1, Kind::Moved, "xy", 0},
        {Qt::Key_Delete, "", "xy", 0, false, -1, Kind::Edited, "y", 0},
        {Qt::Key_Left, "", "xy", 0, false, -1, Kind::Moved, "xy", 0},
        {Qt::Key_End, "", "xy", 0, false, -1, Kind::Moved, "xy", 2},
        {Qt::Key_Return, "\r", "xy", 1, true, -1, Kind::Edited, "x\ny", 2},
        {Qt::Key_Return, "\r", "xy", 1, false, -1, Kind::Submit, "xy", 1},
        {Qt::Key_Escape, "\x1b", "xy", 1, false, -1, Kind::Leave, "xy", 1},
        {Qt::Key_F1, "", "xy", 1, false, -1, Kind::Ignored, "", 0},
    };
    for (const auto &c : cases) {
        const QKeyEvent key(QEvent::KeyPress, c.key, Qt::NoModifier, c.text);
        const FieldKeyOutcome outcome = typeInField(key, c.value, c.caret, c.multiLine, c.maxLength);
        EXPECT_EQ(outcome.kind, c.expectedKind) << c.key;
        EXPECT_EQ(outcome.value, c.expectedValue) << c.key;
        EXPECT_EQ(outcome.caret, c.expectedCaret) << c.key;
    }
}

} // namespace
