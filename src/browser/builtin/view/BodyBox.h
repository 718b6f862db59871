#pragma once

#include <litehtml.h>
#include <litehtml/el_body.h>

// The <body> element, its presentational attributes (bgcolor, text, link, background) taken as
// the style they stand for, under the page's own style attribute.
class BodyBox : public litehtml::el_body {
public:
    explicit BodyBox(const std::shared_ptr<litehtml::document> &doc) : litehtml::el_body(doc) {}

    void parse_attributes() override;
};
