#include "library/TopMost.h"

#include <QWidget>

namespace {

void setStaysOnTop(QWidget &window, bool onTop)
{
    if (window.windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop)
        return;
    // Changing a window's flags hides it; it comes back where it was.
    const bool wasVisible = window.isVisible();
    const QPoint position = window.pos();
    window.setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    window.move(position);
    if (wasVisible)
        window.show();
}

} // namespace

void makeTopMost(QWidget &window)
{
    setStaysOnTop(window, true);
}

void makeNotTopMost(QWidget &window)
{
    setStaysOnTop(window, false);
}
