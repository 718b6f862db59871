#include "browser/builtin/view/FontElement.h"

#include "browser/builtin/dom/Editing.h"

#include <QString>

namespace {

// The font-size of each legacy size, at a normal size of 16 pixels.
constexpr const char *LegacySizes[] = {"10px", "13px", "16px", "18px", "24px", "32px", "48px"};

} // namespace

void FontElement::parse_attributes()
{
    if (const char *colour = get_attr("color"))
        m_style.add_property("color", colour, nullptr, false, this);
    if (const char *face = get_attr("face"))
        m_style.add_property("font-family", face, nullptr, false, this);
    if (const char *size = get_attr("size")) {
        if (const auto legacy = dom::legacyFontSize(QString::fromUtf8(size)))
            m_style.add_property("font-size", LegacySizes[*legacy - 1], nullptr, false, this);
    }
    litehtml::html_tag::parse_attributes();
}
