#include "app/WindowPosition.h"

#include "app/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

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

QString storedText(QSettings &settings, const QString &key)
{
    return settings.value(kGroup + QLatin1Char('/') + key).toString();
}

QSize frameExtra(const QWidget &window)
{
    return window.frameGeometry().size() - window.geometry().size();
}

bool onSomeScreen(const QRect &frame)
{
    for (const QScreen *screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(frame))
            return true;
    }
    return QGuiApplication::screens().isEmpty();
}

void keepOnScreen(QWidget &window)
{
    const QRect frame = window.frameGeometry();
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (!primary || onSomeScreen(frame))
        return;
    const QRect available = primary->availableGeometry();
    window.move(available.topLeft());
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

void writeWindowPosition(QSettings &settings, const QWidget &window)
{
    const int dpi = logicalDpi(window);
    const QRect frame = window.frameGeometry();
    const auto write = [&](const QString &key, int pixels) {
        settings.setValue(kGroup + QLatin1Char('/') + key, QString::number(pixelsToTwips(pixels, dpi)));
    };
    write(kTop, frame.top());
    write(kLeft, frame.left());
    write(kHeight, frame.height());
    write(kWidth, frame.width());
    settings.sync();
}

void restoreWindowPosition(QWidget &window, const StoredPosition &position)
{
    const int dpi = logicalDpi(window);
    if (position.top)
        window.move(window.frameGeometry().left(), twipsToPixels(*position.top, dpi));
    if (position.left)
        window.move(twipsToPixels(*position.left, dpi), window.frameGeometry().top());
    if (position.height)
        window.resize(window.width(), std::max(0, twipsToPixels(*position.height, dpi) - frameExtra(window).height()));
    if (position.width)
        window.resize(std::max(0, twipsToPixels(*position.width, dpi) - frameExtra(window).width()), window.height());
    keepOnScreen(window);
}
