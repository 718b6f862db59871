#pragma once

#include <QIcon>

// NavRelay's icon, drawn at run time so that the program needs no image files.
[[nodiscard]] QIcon programIcon();
