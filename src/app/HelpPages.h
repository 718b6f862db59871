#pragma once

#include <QString>

// The pages shipped in docs/ that stand for the product's online help and home page, as file
// URLs: beside the program when it is installed with them, else in the source tree it was
// built from.
[[nodiscard]] QString commandReferenceUrl();
[[nodiscard]] QString userGuideUrl();
