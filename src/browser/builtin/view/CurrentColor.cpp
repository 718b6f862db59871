#include "browser/builtin/view/CurrentColor.h"

#include "browser/builtin/view/EngineBoxFields.h"

#include <strings.h>

namespace {

[[nodiscard]] bool isCurrentColor(const char *value)
{
    return value && strcasecmp(value, "currentcolor") == 0;
}

} // namespace

void applyCurrentColor(litehtml::html_tag &tag)
{
    const litehtml::web_color colour = tag.get_color("color", true, litehtml::web_color(0, 0, 0));
    litehtml::css_borders &borders = EngineBoxFields::borders(tag);
    const std::pair<litehtml::css_border *, const char *> sides[] = {{&borders.top, "border-top-color"},
                                                                      {&borders.right, "border-right-color"},
                                                                      {&borders.bottom, "border-bottom-color"},
                                                                      {&borders.left, "border-left-color"}};
    for (const auto &[side, property] : sides) {
        const char *value = tag.get_style_property(property, false, nullptr);
        if (!value || isCurrentColor(value))
            side->color = colour;
    }
    if (isCurrentColor(tag.get_style_property("background-color", false, nullptr)))
        EngineBoxFields::background(tag).m_color = colour;
}
