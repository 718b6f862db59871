#include "AppTesting.h"

#include "app/FormLayout.h"
#include "app/Twips.h"
#include "browser/Automation.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTreeWidget>

namespace {

QRect rect(const ControlBox &box)
{
    return {box.left, box.top, box.width, box.height};
}

} // namespace

TEST(FormLayout, ControlsFollowTheWindowAndRefuseNegativeMeasures)
{
    struct Case {
        int W, H, S;
        QRect tree, editor, list; // left, top, width, height in twips
    };
    // Each case starts from the layout of a 9000 x 3000 window with a 300-twip status bar.
    const Case cases[] = {
        {9000, 3000, 300, {0, 0, 3000, 2700}, {3040, 0, 5850, 2700}, {0, 0, 8850, 2700}},
        {3000, 3000, 300, {0, 0, 3000, 2700}, {3040, 0, 5850, 2700}, {0, 0, 2850, 2700}},
        {3150, 2000, 300, {0, 0, 3000, 1700}, {3040, 0, 0, 1700}, {0, 0, 3000, 1700}},
        {100, 3000, 300, {0, 0, 3000, 2700}, {3040, 0, 5850, 2700}, {0, 0, 8850, 2700}},
        {9000, 0, 300, {0, 0, 3000, 2700}, {3040, 0, 5850, 2700}, {0, 0, 8850, 2700}},
    };
    for (const Case &c : cases) {
        FormBoxes boxes;
        FormLayout::layoutControls(boxes, 9000, 3000, 300);
        FormLayout::layoutControls(boxes, c.W, c.H, c.S);
        EXPECT_EQ(rect(boxes.tree), c.tree) << c.W << "x" << c.H;
        EXPECT_EQ(rect(boxes.editor), c.editor) << c.W << "x" << c.H;
        EXPECT_EQ(rect(boxes.list), c.list) << c.W << "x" << c.H;
    }
}

TEST_F(AppTest, AWindowOf9000TwipsPlacesTheEditorAndTheListInPixels)
{
    start();
    const int dpi = logicalDpi(*window);
    const int frameExtra = window->frameGeometry().width() - window->width();
    window->resize(twipsToPixels(9000, dpi) - frameExtra, twipsToPixels(4000, dpi));
    ASSERT_EQ(pixelsToTwips(window->frameGeometry().width(), dpi), 9000);

    auto *editor = window->findChild<QPlainTextEdit *>("scriptEditor");
    auto *tree = window->findChild<QTreeWidget *>("scriptTree");
    auto *list = window->findChild<QListWidget *>("linkListWidget");
    const int clientHeight = window->centralWidget()->height();
    EXPECT_EQ(editor->geometry(), QRect(twipsToPixels(3040, dpi), 0, twipsToPixels(5850, dpi), clientHeight));
    EXPECT_EQ(tree->geometry(), QRect(0, 0, twipsToPixels(3000, dpi), clientHeight));
    EXPECT_EQ(list->geometry(), QRect(0, 0, twipsToPixels(8850, dpi), clientHeight));

    // Shown, the list covers the tree and the editor down to the status bar; the layout stays.
    window->automation().linkList.show();
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(list->mapTo(window.get(), QPoint(0, list->height())).y(),
              window->findChild<QStatusBar *>("StatusBar1")->geometry().top());
    EXPECT_EQ(editor->geometry().width(), twipsToPixels(5850, dpi));
}

TEST_F(AppTest, TheDividerGivesTheTreeOrTheEditorMoreRoomWithinLimits)
{
    start();
    const int dpi = logicalDpi(*window);
    window->resize(twipsToPixels(12000, dpi), twipsToPixels(4000, dpi));
    auto *editor = window->findChild<QPlainTextEdit *>("scriptEditor");
    auto *tree = window->findChild<QTreeWidget *>("scriptTree");
    auto *divider = window->findChild<QWidget *>("paneDivider");
    ASSERT_EQ(divider->geometry().left(), tree->geometry().right() + 1);
    const int editorRight = editor->geometry().right();

    const auto drag = [&](int toX) {
        QMouseEvent move(QEvent::MouseMove, divider->mapFromParent(QPointF(toX, 5)), divider->mapToGlobal(QPointF(0, 5)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(divider, &move);
    };
    drag(twipsToPixels(5000, dpi));
    EXPECT_NEAR(tree->width(), twipsToPixels(5000, dpi), 1);
    EXPECT_EQ(editor->geometry().right(), editorRight) << "the editor keeps its right edge";
    EXPECT_EQ(editor->geometry().left(), divider->geometry().right() + 1);
    drag(0);
    EXPECT_NEAR(tree->width(), twipsToPixels(FormLayout::kMinimumPaneWidth, dpi), 1);
    drag(window->width() * 2);
    EXPECT_GE(editor->width(), twipsToPixels(FormLayout::kMinimumPaneWidth, dpi) - 1);
}
