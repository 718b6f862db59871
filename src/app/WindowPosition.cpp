#include "app/WindowPosition.h"

#include "app/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace {

const QString kGroup = QStringLiteral("Pos");
const QString kTop = QStringLiteral("Top");
const QString kLeft = QStringLiteral("Left");
const QString kHeight = QStringLiteral("Height");
const QString kWidth = QStringLiteral("Width");

// About 7,000 inches: anything farther is no screen position but a damaged value.
constexpr double kLargestTwips = 1.0e7;
// How much of the frame's top edge a screen must show for the title bar to be taken hold of.
constexpr int kGripWidth = 48;

QString storedText(QSettings &settings, const QString &key)
{
    return settings.value(kGroup + QLatin1Char('/') + key).toString();
}

bool showsTopEdge(const QRect &screen, const QRect &frame)
{
    const int shown = std::min(frame.right(), screen.right()) - std::max(frame.left(), screen.left()) + 1;
    return frame.top() >= screen.top() && frame.top() <= screen.bottom() && shown >= std::min(kGripWidth, frame.width());
}

int distance(const QRect &screen, const QPoint &point)
{
    const int dx = std::max({screen.left() - point.x(), 0, point.x() - screen.right()});
    const int dy = std::max({screen.top() - point.y(), 0, point.y() - screen.bottom()});
    return dx + dy;
}

QMargins frameMargins(const QWidget &window)
{
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

} // namespace

std::optional<int> positionFromText(const QString &text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::abs(value) > kLargestTwips)
        return std::nullopt;
    return int(std::lround(value));
}

std::optional<int> sizeFromText(const QString &text)
{
    const auto value = positionFromText(text);
    if (!value || *value < 0)
        return std::nullopt;
    return value;
}

StoredPosition readStoredPosition(QSettings &settings)
{
    return {positionFromText(storedText(settings, kTop)), positionFromText(storedText(settings, kLeft)),
            sizeFromText(storedText(settings, kHeight)), sizeFromText(storedText(settings, kWidth))};
}

void writeFramePosition(QSettings &settings, const QRect &frame, int dotsPerInch)
{
    const auto write = [&](const QString &key, int pixels) {
        settings.setValue(kGroup + QLatin1Char('/') + key, QString::number(pixelsToTwips(pixels, dotsPerInch)));
    };
    write(kTop, frame.top());
    write(kLeft, frame.left());
    write(kHeight, frame.height());
    write(kWidth, frame.width());
    settings.sync();
}

QRect storedFrame(const StoredPosition &position, const QRect &current, int dotsPerInch)
{
    QRect frame = current;
    if (position.top)
        frame.moveTop(twipsToPixels(*position.top, dotsPerInch));
    if (position.left)
        frame.moveLeft(twipsToPixels(*position.left, dotsPerInch));
    if (position.height)
        frame.setHeight(twipsToPixels(*position.height, dotsPerInch));
    if (position.width)
        frame.setWidth(twipsToPixels(*position.width, dotsPerInch));
    return frame;
}

QRect reachableFrame(const QRect &frame, const QList<QRect> &screens)
{
    if (screens.isEmpty() || std::any_of(screens.begin(), screens.end(), [&](const QRect &screen) { return showsTopEdge(screen, frame); }))
        return frame;
    const QRect nearest = *std::min_element(screens.begin(), screens.end(), [&](const QRect &a, const QRect &b) {
        return distance(a, frame.topLeft()) < distance(b, frame.topLeft());
    });
    const int left = std::clamp(frame.left(), nearest.left(), std::max(nearest.left(), nearest.right() + 1 - frame.width()));
    const int top = std::clamp(frame.top(), nearest.top(), std::max(nearest.top(), nearest.bottom() + 1 - frame.height()));
    return frame.translated(left - frame.left(), top - frame.top());
}

QList<QRect> availableScreenAreas()
{
    QList<QRect> areas;
    for (const QScreen *screen : QGuiApplication::screens())
        areas.append(screen->availableGeometry());
    return areas;
}

bool frameKnown(const QWidget &window)
{
    const QWindow *handle = window.windowHandle();
    return handle && handle->handle() && !handle->frameMargins().isNull();
}

void placeFrame(QWidget &window, const QRect &frame, FramePart part)
{
    const QMargins margins = frameMargins(window);
    window.resize(std::max(0, frame.width() - margins.left() - margins.right()),
                  std::max(0, frame.height() - margins.top() - margins.bottom()));
    if (part == FramePart::SizeAndPosition)
        window.move(frame.topLeft());
}
