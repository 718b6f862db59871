#pragma once

#include "browser/builtin/dom/Node.h"

#include <myhtml/myhtml.h>
#include <myhtml/tree.h>

#include <vector>

// The HTML parser's own rules where they are newer than myhtml's tree builder (written in
// 2016-2018), all in one place: HtmlParser calls these around myhtml for every page.
namespace dom {

// A start or end tag, not text, a comment, a doctype or the end of the input.
[[nodiscard]] inline bool isTag(const myhtml_token_node_t &token)
{
    switch (token.tag_id) {
    case MyHTML_TAG__UNDEF:
    case MyHTML_TAG__TEXT:
    case MyHTML_TAG__COMMENT:
    case MyHTML_TAG__DOCTYPE:
    case MyHTML_TAG__END_OF_FILE: return false;
    default: return true;
    }
}

[[nodiscard]] inline bool isStartTag(const myhtml_token_node_t &token)
{
    return isTag(token) && (token.type & MyHTML_TOKEN_TYPE_CLOSE) == 0;
}

[[nodiscard]] inline bool isEndTag(const myhtml_token_node_t &token)
{
    return isTag(token) && (token.type & MyHTML_TOKEN_TYPE_CLOSE) != 0;
}

// While myhtml builds a page's tree: the rules it predates act on its stack of open elements
// and its insertion mode before it takes each token, and may turn the token into one it ignores.
class TreeBuilderUpdates {
public:
    // Called for every token before the tree builder takes it.
    void beforeToken(myhtml_tree_t &tree, myhtml_token_node_t &token);

private:
    void afterDoctype(myhtml_tree_t &tree);
    [[nodiscard]] bool isSearchTag(myhtml_tree_t &tree, myhtml_tag_id_t tag);

    bool m_doctypeTaken = false;
    myhtml_tag_id_t m_searchTag = MyHTML_TAG__UNDEF;
};

// After the page's tree is converted: what the newer rules make of the finished document, with
// the select elements the tree builder made.
void finishDocument(Document &document, const std::vector<Element *> &selects);

} // namespace dom
