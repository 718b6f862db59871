#include "browser/builtin/dom/LineContext.h"

#include "browser/builtin/dom/AsciiText.h"
#include "browser/builtin/dom/Rendering.h"
#include "browser/builtin/dom/TreeWalk.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace dom {
namespace {

enum class Direction { Back, Forward };

// Visits the subtree of `root`, root first, children in the direction's order, entering a
// node's children only when the visit says Continue; false once a visit said Stop.
template <typename Visit>
bool walkSubtree(const Node &root, Direction direction, Visit &visit)
{
    std::vector<const Node *> pending{&root};
    while (!pending.empty()) {
        const Node *node = pending.back();
        pending.pop_back();
        const Walk step = visit(*node);
        if (step == Walk::Stop)
            return false;
        if (step == Walk::SkipChildren)
            continue;
        // The stack takes the children so that the first to visit comes out first.
        const auto &children = node->children();
        if (direction == Direction::Back)
            for (const auto &child : children)
                pending.push_back(child.get());
        else
            for (auto child = children.rbegin(); child != children.rend(); ++child)
                pending.push_back(child->get());
    }
    return true;
}

// Visits the nodes of the container before or after the element, nearest first.
template <typename Visit>
void walkBeside(const Element &element, const Node &container, Direction direction, Visit visit)
{
    const Node *node = &element;
    while (node != &container && node->parent()) {
        const auto &siblings = node->parent()->children();
        const auto at = siblings.begin() + static_cast<std::ptrdiff_t>(node->indexInParent());
        if (direction == Direction::Back) {
            for (auto sibling = std::make_reverse_iterator(at); sibling != siblings.rend(); ++sibling)
                if (!walkSubtree(**sibling, direction, visit))
                    return;
        } else {
            for (auto sibling = at + 1; sibling < siblings.end(); ++sibling)
                if (!walkSubtree(**sibling, direction, visit))
                    return;
        }
        node = node->parent();
    }
}

[[nodiscard]] bool isRenderedText(const Node &node)
{
    if (node.type() != NodeType::Text)
        return false;
    const Element *parent = node.parentElement();
    return !parent || rendersChildText(*parent);
}

// A line break or a box that starts or ends lines: nothing beyond it is on the element's line.
[[nodiscard]] bool endsLine(const Element &element, Display display)
{
    return element.is(QLatin1StringView("br")) || display == Display::Block || display == Display::TableRow
        || display == Display::TableCell;
}

} // namespace

const Node &lineContainer(const Element &element)
{
    const Node *container = &element;
    while (container->parent()) {
        container = container->parent();
        const Element *ancestor = container->asElement();
        if (!ancestor || displayOf(*ancestor) != Display::Inline)
            break;
    }
    return *container;
}

namespace {

// An element met beside the inline one: a hidden one is passed over, a line break ends the
// search, and an atomic or inline-block element is drawn content on the line.
[[nodiscard]] Walk besideElement(const Node &node, bool &drawn)
{
    const Element *other = node.asElement();
    if (!other)
        return Walk::SkipChildren;
    const Display display = displayOf(*other);
    if (display == Display::None)
        return Walk::SkipChildren;
    if (endsLine(*other, display))
        return Walk::Stop;
    drawn = display == Display::Atomic || display == Display::InlineBlock;
    return drawn ? Walk::Stop : Walk::Continue;
}

} // namespace

bool drawnRightBefore(const Element &element, const Node &container)
{
    bool drawn = false;
    walkBeside(element, container, Direction::Back, [&](const Node &node) {
        if (isRenderedText(node)) {
            const QString &data = static_cast<const Text &>(node).data();
            if (data.isEmpty())
                return Walk::SkipChildren;
            drawn = !isAsciiWhitespace(data.back());
            return Walk::Stop;
        }
        return besideElement(node, drawn);
    });
    return drawn;
}

bool lineGoesOnAfter(const Element &element, const Node &container)
{
    bool goesOn = false;
    walkBeside(element, container, Direction::Forward, [&](const Node &node) {
        if (isRenderedText(node)) {
            const QString &data = static_cast<const Text &>(node).data();
            goesOn = std::any_of(data.begin(), data.end(), [](QChar c) { return !isAsciiWhitespace(c); });
            return goesOn ? Walk::Stop : Walk::SkipChildren;
        }
        return besideElement(node, goesOn);
    });
    return goesOn;
}

} // namespace dom
