#pragma once

#include <litehtml.h>

// Takes the colours an element's style gives as currentColor, and the border colours it leaves
// unset, as the element's own colour: the layout engine would draw them black. After the
// element's style has been read.
void applyCurrentColor(litehtml::html_tag &tag);
