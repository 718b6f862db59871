#pragma once

#include "browser/builtin/dom/Node.h"

#include <type_traits>
#include <utility>
#include <vector>

namespace dom {

// What a visitor asks of a tree walk after seeing a node.
enum class Walk { Continue, SkipChildren, Stop };

// Node or const Node, as the root of a walk is const or not.
template <typename RootT>
using WalkNode = std::conditional_t<std::is_const_v<RootT>, const Node, Node>;

// Visits every descendant of root in tree order with an enter call before its children and a
// leave call after them (leave is also called for nodes whose children were skipped).
template <typename RootT, typename Enter, typename Leave>
void walkDescendants(RootT &root, Enter &&enter, Leave &&leave)
{
    using NodeT = WalkNode<RootT>;
    std::vector<std::pair<NodeT *, size_t>> stack{{&root, 0}};
    while (!stack.empty()) {
        NodeT *node = stack.back().first;
        const size_t next = stack.back().second++;
        if (next == node->children().size()) {
            stack.pop_back();
            if (!stack.empty())
                leave(*node);
            continue;
        }
        NodeT &child = *node->children()[next];
        const Walk step = enter(child);
        if (step == Walk::Stop)
            return;
        if (step == Walk::Continue && !child.children().empty())
            stack.emplace_back(&child, 0);
        else
            leave(child);
    }
}

// Visits every descendant of root in tree order (root itself excluded), without recursion.
// The visitor takes a Node (const when root is) and returns a Walk.
template <typename RootT, typename Visit>
void walkDescendants(RootT &root, Visit &&visit)
{
    walkDescendants(root, std::forward<Visit>(visit), [](const auto &) {});
}

// Calls visit(element) for every element descendant of root in tree order.
template <typename RootT, typename Visit>
void forEachElement(RootT &root, Visit &&visit)
{
    using NodeT = WalkNode<RootT>;
    using ElementT = std::conditional_t<std::is_const_v<RootT>, const Element, Element>;
    walkDescendants(root, [&visit](NodeT &node) {
        if (ElementT *element = node.asElement())
            return visit(*element);
        return Walk::Continue;
    });
}

} // namespace dom
