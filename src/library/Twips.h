#pragma once

#include <QRect>

#include <cmath>

// Window measures are given in twips, 1/1440 inch, and shown at the screen's logical DPI.
[[nodiscard]] inline int twipsToPixels(int twips, int dotsPerInch)
{
    return int(std::lround(double(twips) * dotsPerInch / 1440.0));
}

[[nodiscard]] inline QRect twipsToPixels(const QRect &twips, int dotsPerInchX, int dotsPerInchY)
{
    return {twipsToPixels(twips.x(), dotsPerInchX), twipsToPixels(twips.y(), dotsPerInchY),
            twipsToPixels(twips.width(), dotsPerInchX), twipsToPixels(twips.height(), dotsPerInchY)};
}
