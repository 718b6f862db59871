#pragma once

#include <QByteArray>
#include <QImage>

// An SVG document drawn as the picture an <img> shows: at the size it gives (its width and
// height, else its view box), at most maxPixels in all; a null image when it is no SVG.
[[nodiscard]] bool looksLikeSvg(const QByteArray &body, const QByteArray &contentType);
[[nodiscard]] QImage drawSvg(const QByteArray &body, qint64 maxPixels);
