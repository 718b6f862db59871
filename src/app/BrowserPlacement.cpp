#include "app/BrowserPlacement.h"

#include "browser/builtin/view/BuiltinWindowView.h"

#include <QApplication>
#include <QScreen>

#include <algorithm>

namespace {

constexpr int kSmallestUsefulWidth = 480;
constexpr int kSmallestUsefulHeight = 360;
constexpr int kPreferredWidth = 1000;
constexpr int kPreferredHeight = 750;

// Where a browser window fits beside the frame on the screen, or an empty rectangle.
QRect besideFrame(const QRect &frame, const QRect &screen)
{
    const int rightRoom = screen.right() - frame.right();
    if (rightRoom >= kSmallestUsefulWidth) {
        const int height = std::clamp(screen.bottom() - frame.top() + 1, 0, kPreferredHeight);
        return {frame.right() + 1, frame.top(), std::min(rightRoom, kPreferredWidth), height};
    }
    const int belowRoom = screen.bottom() - frame.bottom();
    if (belowRoom >= kSmallestUsefulHeight)
        return {frame.left(), frame.bottom() + 1, std::min(screen.width(), kPreferredWidth), std::min(belowRoom, kPreferredHeight)};
    return {};
}

} // namespace

void placeBrowserWindowsBeside(const QWidget &mainWindow)
{
    const QScreen *screen = mainWindow.screen() ? mainWindow.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect place = besideFrame(mainWindow.frameGeometry(), screen->availableGeometry());
    if (place.isEmpty())
        return;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *view = qobject_cast<BuiltinWindowView *>(widget);
        if (!view || !view->isVisible())
            continue;
        view->resize(place.size() - (view->frameGeometry().size() - view->size()));
        view->move(place.topLeft());
    }
}
