#pragma once

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
void writeWindowPosition(QSettings &settings, const QWidget &window);

// Places the window's frame as stored, in the order top, left, height, width. A window that
// would then lie outside every screen is brought back onto the primary one.
void restoreWindowPosition(QWidget &window, const StoredPosition &position);
