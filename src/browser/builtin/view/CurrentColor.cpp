#include "browser/builtin/view/CurrentColor.h"

#include "browser/builtin/view/EngineBoxFields.h"

#include <optional>

#include <strings.h>

namespace {

[[nodiscard]] bool isCurrentColor(const char *value)
{
    return value && strcasecmp(value, "currentcolor") == 0;
}

} // namespace

void applyCurrentColor(litehtml::html_tag &tag)
{
    // The element's colour is looked up through its ancestors: only when a colour needs it.
    std::optional<litehtml::web_color> colour;
    const auto ownColour = [&] {
        if (!colour)
            colour = tag.get_color("color", true, litehtml::web_color(0, 0, 0));
        return *colour;
    };
    litehtml::css_borders &borders = EngineBoxFields::borders(tag);
    const std::pair<litehtml::css_border *, const char *> sides[] = {{&borders.top, "border-top-color"},
                                                                      {&borders.right, "border-right-color"},
                                                                      {&borders.bottom, "border-bottom-color"},
                                                                      {&borders.left, "border-left-color"}};
    for (const auto &[side, property] : sides) {
        if (side->style == litehtml::border_style_none || side->style == litehtml::border_style_hidden)
            continue;
        const char *value = tag.get_style_property(property, false, nullptr);
        if (!value || isCurrentColor(value))
            side->color = ownColour();
    }
    if (isCurrentColor(tag.get_style_property("background-color", false, nullptr)))
        EngineBoxFields::background(tag).m_color = ownColour();
}
