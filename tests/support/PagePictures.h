#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>

#include <string>

// What tests serve to pages and look for in the pictures drawn of them.

// The part written that many times in a row: a large or deeply nested page.
[[nodiscard]] std::string repeated(const std::string &part, int times);

// A PNG picture of that size in one colour.
[[nodiscard]] std::string pngOf(const QColor &colour, const QSize &size);

// How many pixels of the picture have exactly that colour.
[[nodiscard]] int pixelsOf(const QImage &image, QRgb colour);

// How many pixels of the area are not white.
[[nodiscard]] int inkIn(const QImage &image, const QRect &area);
