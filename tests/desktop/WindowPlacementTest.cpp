// The main window's frame under a window manager, which frames it only once it is shown.
#include "AppTesting.h"
#include "QtWait.h"

#include "app/Twips.h"
#include "app/WindowPosition.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

struct StoredFrame {
    QString top, left, height, width;
    bool operator==(const StoredFrame &) const = default;
};

std::ostream &operator<<(std::ostream &out, const StoredFrame &frame)
{
    return out << frame.top.toStdString() << ", " << frame.left.toStdString() << ", " << frame.height.toStdString() << ", "
               << frame.width.toStdString();
}

StoredFrame twipsFrame(const QWidget &window)
{
    const int dpi = logicalDpi(window);
    const QRect frame = window.frameGeometry();
    const auto text = [&](int pixels) { return QString::number(pixelsToTwips(pixels, dpi)); };
    return {text(frame.top()), text(frame.left()), text(frame.height()), text(frame.width())};
}

} // namespace

class WindowPlacementTest : public AppTest {
protected:
    StoredFrame stored() const
    {
        const auto store = settings();
        return {store->value("Pos/Top").toString(), store->value("Pos/Left").toString(),
                store->value("Pos/Height").toString(), store->value("Pos/Width").toString()};
    }
    // Starts the program and waits until the window manager has framed its window.
    void startFramed()
    {
        start();
        ASSERT_TRUE(waitUntil([&] { return frameKnown(*window); })) << "the window manager framed no window";
    }
    void closeAndEnd()
    {
        closeWindow();
        window.reset();
    }
};

TEST_F(WindowPlacementTest, TheFrameComesBackExactlyAsClosedStartAfterStart)
{
    startFramed();
    closeAndEnd();
    const StoredFrame first = stored();
    ASSERT_FALSE(first.top.isEmpty());
    for (int start = 1; start <= 10; ++start) {
        startFramed();
        // Every other window is closed at once, before the window manager may have told its frame.
        if (start % 2 == 0) {
            EXPECT_TRUE(waitUntil([&] { return twipsFrame(*window) == first; }, 3000))
                << "start " << start << ": " << twipsFrame(*window) << " instead of " << first;
        }
        closeAndEnd();
        EXPECT_EQ(stored(), first) << "start " << start;
    }
}

TEST_F(WindowPlacementTest, AFrameWhoseTitleBarIsOffTheScreenIsBroughtBackOntoIt)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const int dpi = int(std::lround(QGuiApplication::primaryScreen()->logicalDotsPerInch()));
    const std::pair<QPoint, const char *> places[] = {
        {{100, -20}, "the title bar above the screen"},
        {{screen.right() - 10, 100}, "all but a sliver right of the screen"},
        {{-3000000, 3000000}, "far off every screen"},
    };
    for (const auto &[place, what] : places) {
        storePosition("Top", QString::number(pixelsToTwips(place.y(), dpi)));
        storePosition("Left", QString::number(pixelsToTwips(place.x(), dpi)));
        storePosition("Height", QString::number(pixelsToTwips(300, dpi)));
        storePosition("Width", QString::number(pixelsToTwips(400, dpi)));
        startFramed();
        EXPECT_TRUE(waitUntil([&] { return screen.contains(window->frameGeometry()); }, 3000))
            << what << ": " << twipsFrame(*window);
        closeAndEnd();
    }
}
