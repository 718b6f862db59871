#include "browser/builtin/view/PageLayout.h"

#include "browser/builtin/dom/DocumentModel.h"
#include "browser/builtin/view/ControlElement.h"
#include "browser/builtin/view/PainterContainer.h"

#include <litehtml/el_before_after.h>
#include <litehtml/el_text.h>

#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <unordered_set>

namespace {

[[nodiscard]] std::optional<size_t> displayIndex(const litehtml::element &box)
{
    const char *index = box.get_attr(dom::DisplayIndexAttribute);
    if (!index)
        return std::nullopt;
    return std::strtoul(index, nullptr, 10);
}

[[nodiscard]] QRect borderBox(const litehtml::element &box)
{
    litehtml::position placement = box.get_placement();
    placement += box.get_paddings();
    placement += box.get_borders();
    return {placement.x, placement.y, placement.width, placement.height};
}

[[nodiscard]] int distance(const QRect &rect, const QPoint &point)
{
    const int dx = std::max({rect.left() - point.x(), 0, point.x() - rect.right()});
    const int dy = std::max({rect.top() - point.y(), 0, point.y() - rect.bottom()});
    // Being on the right line matters more than being near along it.
    return dy * 16 + dx;
}

} // namespace

// The Text nodes of an element between two of its element children, and how far the words laid
// out so far have come through them.
struct PageLayout::TextRun {
    std::vector<dom::Text *> texts;
    size_t index = 0;
    qsizetype offset = 0;
};

PageLayout::PageLayout(std::shared_ptr<dom::DocumentModel> model, dom::DisplayHtml display, PageResources &resources,
                       const FieldFocus &focus, const QSize &viewport)
    : m_model(std::move(model))
    , m_display(std::move(display))
    , m_pageResources(resources)
    , m_resources(resources.arrived())
    , m_container(m_resources, focus)
    , m_width(std::max(viewport.width(), 1))
{
    m_container.setViewportSize(viewport);
    m_container.setPage(m_model->baseUrl(), m_display.elements);
}

PageLayout::~PageLayout() = default;

void PageLayout::read()
{
    m_context.load_master_stylesheet(m_container.userAgentStyleSheet().c_str());
    m_document = litehtml::document::createFromUTF8(m_display.html.toUtf8().constData(), &m_container, &m_context);
}

void PageLayout::prepare()
{
    m_pageResources.adopt(m_resources);
    mapNodes();
    for (ControlElement *control : controls())
        control->measure();
}

void PageLayout::layOut()
{
    if (const litehtml::element::ptr root = m_document->root())
        m_margins.apply(*root);
    m_document->render(m_width);
    m_size = QSize(m_document->width(), m_document->height());
}

void PageLayout::discard()
{
    m_leaves.clear();
    m_mapped.clear();
    m_document.reset();
}

void PageLayout::paint(QPainter &painter, const QRect &clip) const
{
    m_container.setPainter(&painter);
    const litehtml::position area(clip.x(), clip.y(), clip.width(), clip.height());
    m_document->draw(reinterpret_cast<litehtml::uint_ptr>(&painter), 0, 0, &area);
    m_container.setPainter(nullptr);
}

bool PageLayout::hover(const QPoint &point, const QPoint &viewportPoint)
{
    litehtml::position::vector changed;
    return m_document->on_mouse_over(point.x(), point.y(), viewportPoint.x(), viewportPoint.y(), changed);
}

void PageLayout::mapNodes()
{
    m_leaves.clear();
    m_mapped.clear();
    const litehtml::element::ptr root = m_document->root();
    if (!root)
        return;
    const auto index = displayIndex(*root);
    if (!index || *index >= m_display.elements.size())
        return;
    dom::Element &element = *m_display.elements[*index];
    TextRun run;
    size_t childIndex = 0;
    m_mapped[&element] = {root.get(), 0, 0};
    mapChildren(*root, element, run, childIndex);
    m_mapped[&element].endLeaf = m_leaves.size();
}

void PageLayout::mapChildren(litehtml::element &box, dom::Element &element, TextRun &run, size_t &childIndex)
{
    const int count = int(box.get_children_count());
    for (int i = 0; i < count; ++i) {
        litehtml::element &child = *box.get_child(i);
        if (dynamic_cast<litehtml::el_text *>(&child)) {
            mapText(child, element, run);
            continue;
        }
        // Generated content shows no node of the engine's.
        if (dynamic_cast<litehtml::el_before_after_base *>(&child))
            continue;
        const auto index = displayIndex(child);
        if (!index) {
            // A box the layout made up around others (an anonymous table part).
            mapChildren(child, element, run, childIndex);
            continue;
        }
        if (*index >= m_display.elements.size())
            continue;
        dom::Element &childElement = *m_display.elements[*index];
        if (childElement.parent() == &element) {
            const auto &siblings = element.children();
            while (childIndex < siblings.size() && siblings[childIndex].get() != &childElement)
                ++childIndex;
            run = {};
            for (size_t next = childIndex + 1; next < siblings.size() && !siblings[next]->isElement(); ++next)
                if (siblings[next]->type() == dom::NodeType::Text)
                    run.texts.push_back(static_cast<dom::Text *>(siblings[next].get()));
        }
        Mapped &mapped = m_mapped[&childElement];
        mapped = {&child, m_leaves.size(), m_leaves.size()};
        if (child.is_replaced()) {
            m_leaves.push_back({&child, &childElement});
        } else {
            TextRun innerRun;
            for (const auto &grandchild : childElement.children()) {
                if (grandchild->isElement())
                    break;
                if (grandchild->type() == dom::NodeType::Text)
                    innerRun.texts.push_back(static_cast<dom::Text *>(grandchild.get()));
            }
            size_t innerIndex = 0;
            mapChildren(child, childElement, innerRun, innerIndex);
        }
        m_mapped[&childElement].endLeaf = m_leaves.size();
    }
}

void PageLayout::mapText(litehtml::element &box, dom::Element &element, TextRun &run)
{
    litehtml::tstring text;
    box.get_text(text);
    const qsizetype length = QString::fromStdString(text).size();
    if (run.texts.empty()) {
        m_leaves.push_back({&box, &element});
        return;
    }
    const auto textLength = [&run] { return run.texts[run.index]->data().size(); };
    while (run.offset >= textLength() && run.index + 1 < run.texts.size()) {
        run.offset -= textLength();
        ++run.index;
    }
    const qsizetype start = std::min(run.offset, textLength());
    run.offset += length;
    m_leaves.push_back({&box, run.texts[run.index], start, std::min(run.offset, textLength())});
}

dom::Element *PageLayout::elementAt(const QPoint &point, const QPoint &viewportPoint) const
{
    const litehtml::element::ptr root = m_document->root();
    if (!root)
        return nullptr;
    for (litehtml::element::ptr box = root->get_element_by_point(point.x(), point.y(), viewportPoint.x(), viewportPoint.y());
         box; box = box->parent()) {
        if (const auto index = displayIndex(*box); index && *index < m_display.elements.size())
            return m_display.elements[*index];
    }
    return nullptr;
}

ControlElement *PageLayout::controlOf(const dom::Element &element) const
{
    const auto mapped = m_mapped.find(&element);
    return mapped == m_mapped.end() ? nullptr : dynamic_cast<ControlElement *>(mapped->second.box);
}

std::vector<ControlElement *> PageLayout::controls() const
{
    std::vector<ControlElement *> found;
    for (const Leaf &leaf : m_leaves)
        if (auto *control = dynamic_cast<ControlElement *>(leaf.box))
            found.push_back(control);
    return found;
}

std::vector<QRect> PageLayout::boxesOf(const dom::Element &element) const
{
    const auto mapped = m_mapped.find(&element);
    if (mapped == m_mapped.end() || !mapped->second.box->is_visible())
        return {};
    const litehtml::element &box = *mapped->second.box;
    if (box.get_display() != litehtml::display_inline) {
        const QRect border = borderBox(box);
        return border.isEmpty() ? std::vector<QRect>{} : std::vector<QRect>{border};
    }
    std::vector<size_t> leaves(mapped->second.endLeaf - mapped->second.firstLeaf);
    std::iota(leaves.begin(), leaves.end(), mapped->second.firstLeaf);
    return linesOf(leaves);
}

std::vector<QRect> PageLayout::selectionBoxes() const
{
    const dom::Selection &selection = m_model->selection();
    if (selection.isEmpty())
        return {};
    std::unordered_set<const dom::Node *> selected;
    const auto &children = selection.container->children();
    for (size_t index = selection.start; index < std::min(selection.end, children.size()); ++index)
        selected.insert(children[index].get());
    std::vector<size_t> leaves;
    for (size_t leaf = 0; leaf < m_leaves.size(); ++leaf) {
        for (const dom::Node *node = m_leaves[leaf].node; node && node != selection.container; node = node->parent()) {
            if (selected.count(node)) {
                leaves.push_back(leaf);
                break;
            }
        }
    }
    return linesOf(leaves);
}

std::optional<size_t> PageLayout::leafNear(const QPoint &point) const
{
    std::optional<size_t> nearest;
    int nearestDistance = 0;
    for (size_t leaf = 0; leaf < m_leaves.size(); ++leaf) {
        const QRect rect = leafRect(leaf);
        if (rect.isEmpty())
            continue;
        const int away = distance(rect, point);
        if (!nearest || away < nearestDistance) {
            nearest = leaf;
            nearestDistance = away;
            if (away == 0)
                break;
        }
    }
    return nearest;
}

std::vector<QRect> PageLayout::leafBoxes(size_t from, size_t to) const
{
    if (from > to)
        std::swap(from, to);
    if (m_leaves.empty())
        return {};
    std::vector<size_t> leaves;
    for (size_t leaf = from; leaf <= std::min(to, m_leaves.size() - 1); ++leaf)
        leaves.push_back(leaf);
    return linesOf(leaves);
}

dom::SelectionPoint PageLayout::selectionPoint(size_t leaf, bool atEnd) const
{
    if (leaf >= m_leaves.size())
        return {};
    const Leaf &chosen = m_leaves[leaf];
    if (chosen.node->type() == dom::NodeType::Text)
        return {chosen.node, atEnd ? chosen.end : chosen.start};
    return {chosen.node, atEnd ? 1 : 0};
}

QRect PageLayout::leafRect(size_t leaf) const
{
    const litehtml::element &box = *m_leaves[leaf].box;
    if (!box.is_visible())
        return {};
    const litehtml::position placement = box.get_placement();
    return {placement.x, placement.y, placement.width, placement.height};
}

std::vector<QRect> PageLayout::linesOf(const std::vector<size_t> &leaves) const
{
    std::vector<QRect> lines;
    for (const size_t leaf : leaves) {
        const QRect rect = leafRect(leaf);
        if (rect.isEmpty())
            continue;
        if (!lines.empty() && lines.back().top() < rect.bottom() && rect.top() < lines.back().bottom()
            && rect.left() >= lines.back().left())
            lines.back() |= rect;
        else
            lines.push_back(rect);
    }
    return lines;
}
