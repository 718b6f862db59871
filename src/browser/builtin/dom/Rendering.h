#pragma once

#include "browser/builtin/dom/Node.h"

// How the browser's default style sheet lays out an element, as far as the rendered text
// (innerText) depends on it. There are no author style sheets: without scripts, pages are
// taken as the default style sheet renders them.
namespace dom {

enum class Display {
    None,        // not rendered: head, script, style, template, [hidden], ...
    Inline,      // text flows on the current line
    Atomic,      // a replaced inline box without text: img, input, textarea, iframe, ...
    InlineBlock, // a box on the line whose content is trimmed like a block's: button
    Block,       // div, p, h1, li, table, caption, option, ...
    TableRow,
    TableCell,
};

[[nodiscard]] Display displayOf(const Element &element);
// Whether the element's child text is rendered: not for a closed details element, which
// shows only its summary.
[[nodiscard]] bool rendersChildText(const Element &element);
// Whether the element and every ancestor are rendered (a removed element is not).
[[nodiscard]] bool isBeingRendered(const Element &element);
// Elements whose white space is kept as written: pre, listing, xmp, plaintext, textarea.
[[nodiscard]] bool preservesWhiteSpace(const Element &element);
// Two line breaks around a paragraph instead of one.
[[nodiscard]] bool isParagraph(const Element &element);

} // namespace dom
