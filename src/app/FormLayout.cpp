#include "app/FormLayout.h"

#include "app/Twips.h"

#include <QRect>
#include <QWidget>

namespace {

void assignIfNotNegative(int &dimension, int value)
{
    if (value >= 0)
        dimension = value;
}

QRect pixelRect(const ControlBox &box, int dpi)
{
    return twipsToPixels(QRect(box.left, box.top, box.width, box.height), dpi, dpi);
}

} // namespace

void FormLayout::layoutControls(FormBoxes &boxes, int W, int H, int S)
{
    boxes.tree.width = kTreeWidth;
    boxes.editor.top = 0;
    boxes.editor.left = boxes.tree.width + kGap;
    assignIfNotNegative(boxes.editor.height, H - S);
    boxes.list.top = 0;
    boxes.list.left = 0;
    boxes.list.height = boxes.editor.height;
    assignIfNotNegative(boxes.list.width, W - kRightMargin);
    assignIfNotNegative(boxes.editor.width, W - boxes.tree.width - kRightMargin);
    boxes.tree.height = boxes.editor.height;
}

void applyFormBoxes(const FormBoxes &boxes, int dpi, QWidget &tree, QWidget &editor, QWidget &list)
{
    tree.setGeometry(pixelRect(boxes.tree, dpi));
    editor.setGeometry(pixelRect(boxes.editor, dpi));
    list.setGeometry(pixelRect(boxes.list, dpi));
}
