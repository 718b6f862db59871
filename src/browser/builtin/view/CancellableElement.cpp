#include "browser/builtin/view/CancellableElement.h"

#include "browser/builtin/view/BodyBox.h"
#include "browser/builtin/view/CurrentColor.h"
#include "browser/builtin/view/PainterContainer.h"

#include <litehtml/el_anchor.h>
#include <litehtml/el_div.h>
#include <litehtml/el_para.h>
#include <litehtml/el_table.h>
#include <litehtml/el_text.h>
#include <litehtml/el_td.h>
#include <litehtml/el_tr.h>

#include <array>
#include <vector>

namespace {

// A closed disclosure shows its summary only: its own text is taken out of the layout as its other
// children are by the default style sheet.
void removeText(litehtml::element &details)
{
    std::vector<litehtml::element::ptr> texts;
    for (size_t i = 0; i < details.get_children_count(); ++i)
        if (const litehtml::element::ptr child = details.get_child(int(i)); dynamic_cast<litehtml::el_text *>(child.get()))
            texts.push_back(child);
    for (const litehtml::element::ptr &text : texts)
        details.removeChild(text);
}

template <class Box>
class Cancellable final : public Box {
public:
    Cancellable(const std::shared_ptr<litehtml::document> &document, const std::atomic<bool> &cancelled)
        : Box(document)
        , m_cancelled(cancelled)
    {
    }

    void apply_stylesheet(const litehtml::css &stylesheet) override
    {
        if (!m_cancelled.load(std::memory_order_relaxed))
            Box::apply_stylesheet(stylesheet);
    }

    void parse_styles(bool is_reparse) override
    {
        if (m_cancelled.load(std::memory_order_relaxed))
            return;
        Box::parse_styles(is_reparse);
        applyCurrentColor(*this);
        if (std::string_view(this->get_tagName()) == "details" && !this->get_attr("open"))
            removeText(*this);
    }

    int render(int x, int y, int max_width, bool second_pass) override
    {
        if (m_cancelled.load(std::memory_order_relaxed))
            return 0;
        return Box::render(x, y, max_width, second_pass);
    }

    // A box's own loop over what it holds goes on after they stop: placing them (floats above
    // all) is skipped too.
    int place_element(const litehtml::element::ptr &el, int max_width) override
    {
        if (m_cancelled.load(std::memory_order_relaxed))
            return 0;
        return Box::place_element(el, max_width);
    }

    int render_inline(const litehtml::element::ptr &container, int max_width) override
    {
        if (m_cancelled.load(std::memory_order_relaxed))
            return 0;
        return Box::render_inline(container, max_width);
    }

    void parse_attributes() override
    {
        if (const std::string style = PainterContainer::of(*this).styleAttribute(*this); !style.empty())
            this->set_attr("style", style.c_str());
        Box::parse_attributes();
    }

private:
    const std::atomic<bool> &m_cancelled;
};

template <class Box>
[[nodiscard]] std::shared_ptr<litehtml::element> make(const std::shared_ptr<litehtml::document> &document,
                                                      const std::atomic<bool> &cancelled)
{
    return std::make_shared<Cancellable<Box>>(document, cancelled);
}

// The tags the layout engine gives a kind of box of its own that lays out nothing inside it, or
// that has no header to derive from: it makes them itself.
constexpr std::array EngineOwnTags{std::string_view("br"),    std::string_view("img"),   std::string_view("link"),
                                   std::string_view("title"), std::string_view("style"), std::string_view("base"),
                                   std::string_view("script"), std::string_view("font"), std::string_view("li")};

} // namespace

std::shared_ptr<litehtml::element> createCancellableElement(std::string_view tag,
                                                            const std::shared_ptr<litehtml::document> &document,
                                                            const std::atomic<bool> &cancelled)
{
    if (tag == "table")
        return make<litehtml::el_table>(document, cancelled);
    if (tag == "td" || tag == "th")
        return make<litehtml::el_td>(document, cancelled);
    if (tag == "tr")
        return make<litehtml::el_tr>(document, cancelled);
    if (tag == "div")
        return make<litehtml::el_div>(document, cancelled);
    if (tag == "p")
        return make<litehtml::el_para>(document, cancelled);
    if (tag == "a")
        return make<litehtml::el_anchor>(document, cancelled);
    if (tag == "body")
        return make<BodyBox>(document, cancelled);
    for (const std::string_view own : EngineOwnTags)
        if (tag == own)
            return nullptr;
    return make<litehtml::html_tag>(document, cancelled);
}
