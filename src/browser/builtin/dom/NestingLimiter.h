#pragma once

#include <QByteArray>

namespace dom {

// Browsers stop nesting elements at a few hundred levels; the HTML parser's scope checks
// grow with the depth, so a page nested 100,000 deep would take minutes to parse.
inline constexpr int MaxNestingDepth = 512;

// The page with an end tag put before each start tag that would open an element deeper than
// maxDepth, so that the new element becomes a sibling of the deepest one instead of its child,
// as browsers do. The depth is what a light scan of the markup estimates (end tags close what
// they name, elements with optional end tags and void elements do not nest). A page within the
// limit comes back as it is.
[[nodiscard]] QByteArray limitNesting(const QByteArray &html, int maxDepth = MaxNestingDepth);

} // namespace dom
