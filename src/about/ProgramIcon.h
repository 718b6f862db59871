#pragma once

#include <QByteArray>
#include <QIcon>
#include <QImage>

// NavRelay's icon, drawn from one set of shapes: at run time for the windows, so that the program
// needs no image files, and at build time as the PNG and SVG files of the desktop's icon theme.
[[nodiscard]] QIcon programIcon();
[[nodiscard]] QImage programIconImage(int size);
[[nodiscard]] QByteArray programIconSvg();
