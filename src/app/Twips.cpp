#include "app/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace {

// What a screen that reports nothing usable is taken to have.
constexpr int kFallbackDpi = 96;

} // namespace

int logicalDpi(const QWidget &widget)
{
    const QScreen *screen = widget.screen() ? widget.screen() : QGuiApplication::primaryScreen();
    const int dpi = screen ? int(std::lround(screen->logicalDotsPerInch())) : 0;
    return dpi > 0 ? dpi : kFallbackDpi;
}

int pixelsToTwips(int pixels, int dotsPerInch)
{
    return int(std::lround(pixels * 1440.0 / dotsPerInch));
}
