#pragma once

#include <litehtml.h>

#include <unordered_map>

// Vertical margins collapsed as CSS 2.1 says, worked out before the layout engine places the
// boxes: each run of adjoining margins (siblings', a box's and its first or last child's, those
// through an empty box) is given whole to one of them and the others are made zero, so the
// engine's own collapsing, which keeps a margin after a sibling with padding and counts a margin
// again for each wrapper it passes through, has nothing left to do. Runs with percentages or
// negative margins are left to the engine.
class MarginCollapse {
public:
    // Before each layout of the document; margins the engine computed again since the last one
    // (an element restyled by :hover) are taken as that element's own.
    void apply(litehtml::element &root);

private:
    struct Own {
        litehtml::css_length top;
        litehtml::css_length bottom;
        litehtml::css_length writtenTop;
        litehtml::css_length writtenBottom;
    };
    struct Slot {
        Own *own;
        litehtml::css_margins *margins;
        bool top;
    };
    using Run = std::vector<Slot>;

    void formattingContext(litehtml::element &box);
    void flow(litehtml::element &box, Run &run);
    void join(Run &run, litehtml::html_tag &tag, bool top);
    static void close(Run &run);

    std::unordered_map<const litehtml::element *, Own> m_own;
};
