#include "browser/builtin/view/BodyBox.h"

#include <string>

namespace {

// An attribute's value as a CSS value: only characters a colour or an address needs, so that
// no value ends the declaration or the rule it is put in.
[[nodiscard]] std::string cssValue(const char *value)
{
    std::string safe;
    for (const char *c = value; c && *c; ++c) {
        if (std::isalnum(static_cast<unsigned char>(*c)) || std::string_view("#.,%-_/:?=&+~").find(*c) != std::string_view::npos)
            safe += *c;
    }
    return safe;
}

} // namespace

void BodyBox::parse_attributes()
{
    std::string style;
    if (const std::string colour = cssValue(get_attr("bgcolor")); !colour.empty())
        style += "background-color:" + colour + ';';
    if (const std::string colour = cssValue(get_attr("text")); !colour.empty())
        style += "color:" + colour + ';';
    if (const std::string image = cssValue(get_attr("background")); !image.empty())
        style += "background-image:url(" + image + ");";
    if (!style.empty()) {
        if (const char *own = get_attr("style"))
            style += own;
        set_attr("style", style.c_str());
    }
    if (const std::string colour = cssValue(get_attr("link")); !colour.empty())
        get_document()->add_stylesheet(("a[href]{color:" + colour + '}').c_str(), nullptr, nullptr);
    litehtml::el_body::parse_attributes();
}
