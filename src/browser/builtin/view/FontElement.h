#pragma once

#include <litehtml.h>

// A font element: its face, size and color attributes as the styles browsers map them to (the
// legacy sizes 1 to 7, absolute or relative to 3, from x-small to xxx-large).
class FontElement final : public litehtml::html_tag {
public:
    explicit FontElement(const std::shared_ptr<litehtml::document> &document) : litehtml::html_tag(document) {}

    void parse_attributes() override;
};
