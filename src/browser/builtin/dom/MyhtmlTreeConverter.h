#pragma once

#include "browser/builtin/dom/Node.h"

#include <myhtml/myhtml.h>
#include <myhtml/tree.h>

#include <memory>
#include <stop_token>
#include <string_view>

namespace dom {

// myhtml appends each run of text that follows a text node to it by copying both into a new
// string: a page of many runs in one place (text between ignored tags) costs the square of its
// length. Text nodes are marked with another tag as they are inserted, so that myhtml inserts
// every run as a node of its own; the conversion joins adjacent runs, as the standard does.
constexpr myhtml_tag_id_t SealedTextTag = MyHTML_TAG__UNDEF;

[[nodiscard]] inline std::string_view textOf(const mycore_string_t &string)
{
    return string.data ? std::string_view(string.data, string.length) : std::string_view();
}

// Copies myhtml's tree into the engine's nodes. An element that would lie deeper than the
// depth cap (the adoption agency can move elements under others) is put beside its would-be
// parent instead. The finished first children of an open element may be copied while the page
// is still parsed: they are held until the element itself is copied.
class TreeConverter {
public:
    TreeConverter(myhtml_tree_t &tree, std::stop_token stop, int maxDepth);
    ~TreeConverter();
    TreeConverter(const TreeConverter &) = delete;
    TreeConverter &operator=(const TreeConverter &) = delete;

    // Whether the children of an element with this many element ancestors can be copied before
    // the element: none of them is deep enough to be put beside it.
    [[nodiscard]] bool takesChildrenAhead(int ancestors) const;

    // Copies a finished child of the element, which is next after those held for it already.
    void holdChild(const myhtml_tree_node_t &parent, int parentAncestors, const myhtml_tree_node_t &child);

    // The document, or null when a stop is requested on the way.
    [[nodiscard]] std::unique_ptr<Document> convert();

private:
    class Copier;
    const std::unique_ptr<Copier> m_copier;
};

} // namespace dom
