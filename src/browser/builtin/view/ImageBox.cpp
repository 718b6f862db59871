#include "browser/builtin/view/ImageBox.h"

#include "browser/builtin/view/PainterContainer.h"

#include <QPainter>

#include <algorithm>

const char *ImageBox::missingText()
{
    const char *alt = get_attr("alt");
    if (!alt || !*alt || PainterContainer::of(*this).image(get_attr("src", ""), nullptr))
        return nullptr;
    return alt;
}

int ImageBox::render(int x, int y, int max_width, bool second_pass)
{
    const char *alt = missingText();
    if (!alt || !m_css_width.is_predefined() || !m_css_height.is_predefined())
        return litehtml::el_image::render(x, y, max_width, second_pass);
    calc_outlines(max_width);
    m_pos.move_to(x, y);
    litehtml::font_metrics metrics;
    const litehtml::uint_ptr font = get_font(&metrics);
    m_pos.width = std::min(PainterContainer::of(*this).text_width(alt, font), std::max(max_width, 0));
    m_pos.height = metrics.height;
    calc_auto_margins(max_width);
    m_pos.x += content_margins_left();
    m_pos.y += content_margins_top();
    return m_pos.width + content_margins_left() + content_margins_right();
}

void ImageBox::draw(litehtml::uint_ptr hdc, int x, int y, const litehtml::position *clip)
{
    const char *alt = missingText();
    if (!alt) {
        litehtml::el_image::draw(hdc, x, y, clip);
        return;
    }
    litehtml::html_tag::draw(hdc, x, y, clip);
    litehtml::position box = m_pos;
    box.x += x;
    box.y += y;
    if (clip && !box.does_intersect(clip))
        return;
    QPainter &painter = PainterContainer::painter(hdc);
    painter.save();
    painter.setClipRect(QRect(box.x, box.y, box.width, box.height), Qt::IntersectClip);
    PainterContainer::of(*this).draw_text(hdc, alt, get_font(), get_color("color", true, litehtml::web_color(0, 0, 0)), box);
    painter.restore();
}
