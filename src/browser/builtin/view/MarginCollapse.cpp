#include "browser/builtin/view/MarginCollapse.h"

#include "browser/builtin/view/EngineBoxFields.h"

#include <algorithm>

namespace {

[[nodiscard]] bool nonZero(const litehtml::css_length &length)
{
    return length.is_predefined() || length.val() != 0;
}

[[nodiscard]] bool drawn(const litehtml::css_border &border)
{
    return border.style > litehtml::border_style_hidden && nonZero(border.width);
}

[[nodiscard]] bool same(const litehtml::css_length &a, const litehtml::css_length &b)
{
    if (a.is_predefined() || b.is_predefined())
        return a.is_predefined() == b.is_predefined() && a.predef() == b.predef();
    return a.units() == b.units() && a.val() == b.val();
}

[[nodiscard]] litehtml::css_length pixels(float amount)
{
    litehtml::css_length length;
    length.set_value(amount, litehtml::css_units_px);
    return length;
}

[[nodiscard]] bool outOfFlow(const litehtml::element &box)
{
    const litehtml::element_position position = box.get_element_position();
    return box.get_float() != litehtml::float_none || position == litehtml::element_position_absolute
        || position == litehtml::element_position_fixed;
}

[[nodiscard]] bool blockLevel(const litehtml::element &box)
{
    const litehtml::style_display display = box.get_display();
    return !box.is_break()
        && (display == litehtml::display_block || display == litehtml::display_list_item || display == litehtml::display_table);
}

// Whether the box lays out what it holds apart from its surroundings: its children's margins
// never adjoin its own.
[[nodiscard]] bool ownContext(const litehtml::element &box)
{
    return (box.get_display() != litehtml::display_block && box.get_display() != litehtml::display_list_item)
        || box.get_overflow() != litehtml::overflow_visible || box.is_replaced() || !box.have_parent();
}

[[nodiscard]] bool topAdjoinsChild(litehtml::html_tag &tag)
{
    return !nonZero(EngineBoxFields::padding(tag).top) && !drawn(EngineBoxFields::borders(tag).top);
}

[[nodiscard]] bool bottomAdjoinsChild(litehtml::html_tag &tag)
{
    return !nonZero(EngineBoxFields::padding(tag).bottom) && !drawn(EngineBoxFields::borders(tag).bottom)
        && tag.get_css_height().is_predefined() && !nonZero(EngineBoxFields::minHeight(tag));
}

} // namespace

void MarginCollapse::apply(litehtml::element &root)
{
    formattingContext(root);
}

void MarginCollapse::formattingContext(litehtml::element &box)
{
    Run run;
    flow(box, run);
    close(run);
}

// The children of a box in one formatting context, `run` open at the top of its content and,
// when it returns, at the bottom.
void MarginCollapse::flow(litehtml::element &box, Run &run)
{
    for (size_t i = 0; i < box.get_children_count(); ++i) {
        litehtml::element &child = *box.get_child(int(i));
        if (child.is_white_space() || child.is_comment() || child.get_display() == litehtml::display_none)
            continue;
        auto *tag = dynamic_cast<litehtml::html_tag *>(&child);
        if (!tag) {
            close(run);
            continue;
        }
        if (outOfFlow(child)) {
            formattingContext(child);
            continue;
        }
        if (!blockLevel(child)) {
            // A line of content between the margins before it and after it.
            close(run);
            formattingContext(child);
            continue;
        }
        join(run, *tag, true);
        const bool own = ownContext(child);
        if (own || !topAdjoinsChild(*tag))
            close(run);
        if (own)
            formattingContext(child);
        else
            flow(child, run);
        if (own || !bottomAdjoinsChild(*tag))
            close(run);
        join(run, *tag, false);
    }
}

void MarginCollapse::join(Run &run, litehtml::html_tag &tag, bool top)
{
    litehtml::css_margins &margins = EngineBoxFields::margins(tag);
    const litehtml::css_length &current = top ? margins.top : margins.bottom;
    auto known = m_own.find(&tag);
    if (known == m_own.end())
        known = m_own.emplace(&tag, Own{margins.top, margins.bottom, margins.top, margins.bottom}).first;
    Own &own = known->second;
    if (!same(current, top ? own.writtenTop : own.writtenBottom))
        (top ? own.top : own.bottom) = current;
    run.push_back({&own, &margins, top});
}

void MarginCollapse::close(Run &run)
{
    bool computable = run.size() > 1;
    float largest = 0;
    for (const Slot &slot : run) {
        const litehtml::css_length &length = slot.top ? slot.own->top : slot.own->bottom;
        if (length.is_predefined())
            continue;
        const bool inPixels = length.units() == litehtml::css_units_px || length.units() == litehtml::css_units_none;
        computable = computable && inPixels && length.val() >= 0;
        largest = std::max(largest, length.val());
    }
    const auto carrier = std::find_if(run.cbegin(), run.cend(), [](const Slot &slot) { return slot.top; });
    const Slot *holder = carrier != run.cend() ? &*carrier : run.empty() ? nullptr : &run.back();
    for (const Slot &slot : run) {
        const litehtml::css_length &own = slot.top ? slot.own->top : slot.own->bottom;
        const litehtml::css_length written = !computable ? own : &slot == holder ? pixels(largest) : pixels(0);
        (slot.top ? slot.margins->top : slot.margins->bottom) = written;
        (slot.top ? slot.own->writtenTop : slot.own->writtenBottom) = written;
    }
    run.clear();
}
