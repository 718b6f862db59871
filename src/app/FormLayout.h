#pragma once

#include <QWidget>

#include <functional>

// Where the tree, the editor and the link list stand, in twips from the top left of the area
// between the menu bar and the status bar.
struct ControlBox {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct FormBoxes {
    ControlBox tree;
    ControlBox editor;
    ControlBox list;
};

// The layout of the main window on every size change: the tree on the left, the editor to its
// right, the list over both. W is the window's outer width, H its inner height below the menu
// bar, S the status bar's height, all in twips. A width or height that would be negative is
// refused and keeps its value, as a control refuses it.
// The tree is kTreeWidth wide unless the user has dragged the divider between it and the editor.
struct FormLayout {
    static constexpr int kTreeWidth = 3000;
    static constexpr int kMinimumPaneWidth = 600;
    static constexpr int kGap = 40;
    static constexpr int kRightMargin = 150;

    static void layoutControls(FormBoxes &boxes, int W, int H, int S, int treeWidth = kTreeWidth);
};

// The divider in the gap between the tree and the editor: dragging it asks for a new tree width
// in pixels, from the left edge of its parent.
class PaneDivider final : public QWidget {
public:
    explicit PaneDivider(QWidget &parent, std::function<void(int)> treeWidthWanted);

protected:
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    std::function<void(int)> m_treeWidthWanted;
};

// Puts the controls where the boxes say, converted to pixels at the given DPI.
void applyFormBoxes(const FormBoxes &boxes, int dpi, QWidget &tree, QWidget &editor, QWidget &list);
