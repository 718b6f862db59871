#include "app/FormLayout.h"

#include "app/Twips.h"

#include <QMouseEvent>
#include <QRect>

#include <algorithm>
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

void FormLayout::layoutControls(FormBoxes &boxes, int W, int H, int S, int treeWidth)
{
    // A dragged divider leaves both panes usable, however small the window becomes.
    boxes.tree.width = treeWidth == kTreeWidth ? kTreeWidth
                                               : std::clamp(treeWidth, kMinimumPaneWidth,
                                                            std::max(kMinimumPaneWidth, W - kRightMargin - kMinimumPaneWidth));
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

PaneDivider::PaneDivider(QWidget &parent, std::function<void(int)> treeWidthWanted)
    : QWidget(&parent)
    , m_treeWidthWanted(std::move(treeWidthWanted))
{
    setObjectName(QStringLiteral("paneDivider"));
    setCursor(Qt::SplitHCursor);
}

void PaneDivider::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        m_treeWidthWanted(mapToParent(event->position().toPoint()).x());
}
