#pragma once

#include "browser/builtin/dom/Node.h"

// Where an inline element sits on its rendered line, as far as the white space at its two ends
// depends on it: white space collapses across element boundaries, so an inline element's
// innerText keeps a blank at its start or end only when the line has text on that side.
namespace dom {

// The nearest ancestor that lays out lines: the first that is not inline (or the topmost node).
[[nodiscard]] const Node &lineContainer(const Element &element);
// Whether something drawn on the line ends right before the element, so that the element's
// leading white space is a blank; not where the line starts at the element, nor after white
// space, which takes in the element's own.
[[nodiscard]] bool drawnRightBefore(const Element &element, const Node &container);
// Whether something is drawn after the element on its line, keeping a blank at its end.
[[nodiscard]] bool lineGoesOnAfter(const Element &element, const Node &container);

} // namespace dom
