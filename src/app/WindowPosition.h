#pragma once

#include <QList>
#include <QRect>
#include <QString>

#include <optional>

class QSettings;
class QWidget;

// The main window's place as the settings store keeps it: group "Pos", keys "Top", "Left",
// "Height" and "Width", in twips, measured on the whole window frame. A key that is missing
// or holds no usable number leaves that one dimension as it is.
struct StoredPosition {
    std::optional<int> top;
    std::optional<int> left;
    std::optional<int> height;
    std::optional<int> width;
};

// A stored value as a whole number of twips: nothing for an empty or non-numeric text, a value
// that is not finite or lies far beyond any screen, and a negative size.
[[nodiscard]] std::optional<int> positionFromText(const QString &text);
[[nodiscard]] std::optional<int> sizeFromText(const QString &text);

[[nodiscard]] StoredPosition readStoredPosition(QSettings &settings);
// Stores a frame given in pixels.
void writeFramePosition(QSettings &settings, const QRect &frame, int dotsPerInch);

// The frame `current` (pixels) with each stored dimension put in its place, top, left, height,
// width.
[[nodiscard]] QRect storedFrame(const StoredPosition &position, const QRect &current, int dotsPerInch);
// The frame itself while one of the screens shows enough of its top edge to take hold of it;
// else the frame moved, at its size, onto the screen nearest to it, as far as it fits there.
[[nodiscard]] QRect reachableFrame(const QRect &frame, const QList<QRect> &screens);
[[nodiscard]] QList<QRect> availableScreenAreas();

// Whether the window system has told the window's frame yet: until then a window's frame is
// taken to be the window itself.
[[nodiscard]] bool frameKnown(const QWidget &window);
// Gives the window this frame's size, and its position unless told not to: the client area is
// the frame less the frame's margins as far as they are known. Before the window exists the
// position is the frame's, which the window manager honours when it frames the window.
enum class FramePart { SizeOnly, SizeAndPosition };
void placeFrame(QWidget &window, const QRect &frame, FramePart part);
