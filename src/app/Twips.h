#pragma once

#include "library/Twips.h"

class QWidget;

// The logical DPI of the screen the widget is on (the primary screen before it is shown).
[[nodiscard]] int logicalDpi(const QWidget &widget);
// A measure in pixels as whole twips (1/1440 inch).
[[nodiscard]] int pixelsToTwips(int pixels, int dotsPerInch);
