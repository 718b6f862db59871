#pragma once

#include <litehtml.h>
#include <litehtml/el_style.h>

class StyleSheetPreparer;

// A <style> element whose sheet reaches the layout engine prepared (flattened, bounded, its
// values resolved) rather than as written.
class StyleElement final : public litehtml::el_style {
public:
    StyleElement(const std::shared_ptr<litehtml::document> &doc, StyleSheetPreparer &styles);

    bool appendChild(const ptr &el) override;
    void parse_attributes() override;

private:
    StyleSheetPreparer &m_styles;
    litehtml::tstring m_text;
};
