#pragma once

#include <litehtml.h>

// The computed style of an element's box that the layout engine keeps to its element classes,
// for the view's corrections made between its styling and its layout.
struct EngineBoxFields : litehtml::html_tag {
    static litehtml::css_margins &margins(litehtml::html_tag &tag) { return tag.*(&EngineBoxFields::m_css_margins); }
    static const litehtml::css_margins &padding(const litehtml::html_tag &tag) { return tag.*(&EngineBoxFields::m_css_padding); }
    static litehtml::css_borders &borders(litehtml::html_tag &tag) { return tag.*(&EngineBoxFields::m_css_borders); }
    static const litehtml::css_length &minHeight(const litehtml::html_tag &tag) { return tag.*(&EngineBoxFields::m_css_min_height); }
    static litehtml::background &background(litehtml::html_tag &tag) { return tag.*(&EngineBoxFields::m_bg); }
};
