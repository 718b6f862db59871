#pragma once

#include "browser/builtin/view/FormControlPainting.h"

#include <litehtml.h>

namespace dom {
class Element;
}

// The box of a form control in the layout: a replaced element (the layout places it, nothing
// inside it is laid out) whose content is drawn from the engine's element at every paint, so a
// new value shows without a new layout.
class ControlElement final : public litehtml::html_tag {
public:
    // The kind is told, as the element is not read while the page is.
    ControlElement(const std::shared_ptr<litehtml::document> &document, dom::Element &control, ControlKind kind);

    [[nodiscard]] dom::Element &control() const { return m_control; }
    [[nodiscard]] ControlKind kind() const { return m_kind; }
    // The content box in document coordinates, as the last layout placed it.
    [[nodiscard]] QRect contentBox() const;
    // What the control is drawn with now.
    [[nodiscard]] ControlLook look();
    // Measures the control's content from its element, before its box is placed away from the
    // thread that owns the element.
    void measure();

    bool is_replaced() const override { return true; }
    int line_height() const override;
    int get_base_line() override;
    int render(int x, int y, int max_width, bool second_pass = false) override;
    void draw(litehtml::uint_ptr hdc, int x, int y, const litehtml::position *clip) override;
    void get_content_size(litehtml::size &sz, int max_width) override;

private:
    dom::Element &m_control;
    const ControlKind m_kind;
    QSize m_contentSize;
};
