#include "browser/builtin/view/ControlElement.h"

#include "browser/builtin/dom/Node.h"
#include "browser/builtin/view/PainterContainer.h"

#include <algorithm>

ControlElement::ControlElement(const std::shared_ptr<litehtml::document> &document, dom::Element &control, ControlKind kind)
    : litehtml::html_tag(document)
    , m_control(control)
    , m_kind(kind)
{
}

QRect ControlElement::contentBox() const
{
    const litehtml::position placement = get_placement();
    return {placement.x, placement.y, placement.width, placement.height};
}

ControlLook ControlElement::look()
{
    ControlLook look;
    look.font = PainterContainer::layoutFont(get_font()).font;
    const litehtml::web_color colour = get_color("color", true, litehtml::web_color(0, 0, 0));
    look.color = QColor(colour.red, colour.green, colour.blue, colour.alpha);
    PainterContainer &container = PainterContainer::of(*this);
    if (m_kind == ControlKind::Image)
        look.image = container.image(get_attr("src", ""), nullptr);
    if (container.focus().element == &m_control)
        look.caret = container.focus().caret;
    return look;
}

int ControlElement::line_height() const
{
    return height();
}

int ControlElement::get_base_line()
{
    // A control showing a line of text stands on the line's baseline with its text, as in a
    // browser; a check box or radio button with its box's bottom; the others with their margin's.
    if (m_kind == ControlKind::Check || m_kind == ControlKind::Radio)
        return content_margins_bottom();
    if (m_kind != ControlKind::Text && m_kind != ControlKind::Select && m_kind != ControlKind::Button)
        return 0;
    litehtml::font_metrics metrics;
    get_font(&metrics);
    const int textBaseline = (m_pos.height - metrics.height) / 2 + metrics.ascent;
    return content_margins_bottom() + std::max(0, m_pos.height - textBaseline);
}

int ControlElement::render(int x, int y, int max_width, bool)
{
    calc_outlines(max_width);
    m_pos.move_to(x, y);
    litehtml::size content;
    get_content_size(content, max_width);
    const auto document = get_document();
    const bool borderBox = m_box_sizing == litehtml::box_sizing_border_box;
    m_pos.width = content.width;
    if (!m_css_width.is_predefined()) {
        m_pos.width = document->cvt_units(m_css_width, m_font_size, max_width);
        if (borderBox)
            m_pos.width -= m_padding.width() + m_borders.width();
    }
    m_pos.height = content.height;
    if (!m_css_height.is_predefined() && m_css_height.units() != litehtml::css_units_percentage) {
        m_pos.height = document->cvt_units(m_css_height, m_font_size, 0);
        if (borderBox)
            m_pos.height -= m_padding.height() + m_borders.height();
    }
    m_pos.width = std::max(0, m_pos.width);
    m_pos.height = std::max(0, m_pos.height);
    calc_auto_margins(max_width);
    m_pos.x += content_margins_left();
    m_pos.y += content_margins_top();
    return m_pos.width + content_margins_left() + content_margins_right();
}

void ControlElement::draw(litehtml::uint_ptr hdc, int x, int y, const litehtml::position *clip)
{
    litehtml::html_tag::draw(hdc, x, y, clip);
    litehtml::position box = m_pos;
    box.x += x;
    box.y += y;
    if (!box.does_intersect(clip))
        return;
    paintControl(PainterContainer::painter(hdc), QRect(box.x, box.y, box.width, box.height), m_control, m_kind, look());
}

void ControlElement::measure()
{
    m_contentSize = intrinsicControlSize(m_control, m_kind, look());
}

void ControlElement::get_content_size(litehtml::size &sz, int)
{
    sz.width = m_contentSize.width();
    sz.height = m_contentSize.height();
}
