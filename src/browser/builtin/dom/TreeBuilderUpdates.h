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
    // Called for every token before the tree builder takes it. Most tokens concern none of the
    // rules: they are told apart at once.
    void beforeToken(myhtml_tree_t &tree, myhtml_token_node_t &token)
    {
        if (m_doctypeTaken || token.tag_id == MyHTML_TAG__DOCTYPE || token.tag_id >= MyHTML_TAG_LAST_ENTRY
            || tree.insert_mode == MyHTML_INSERTION_MODE_IN_SELECT
            || tree.insert_mode == MyHTML_INSERTION_MODE_IN_SELECT_IN_TABLE || mayConcern(token))
            apply(tree, token);
    }

private:
    // A tag one of the rules may be about.
    [[nodiscard]] bool mayConcern(const myhtml_token_node_t &token) const
    {
        const bool end = (token.type & MyHTML_TOKEN_TYPE_CLOSE) != 0;
        switch (token.tag_id) {
        case MyHTML_TAG_SELECT: return true;
        case MyHTML_TAG_P:
        case MyHTML_TAG_BR: return end;
        case MyHTML_TAG_INPUT:
        case MyHTML_TAG_OPTION:
        case MyHTML_TAG_OPTGROUP:
        case MyHTML_TAG_HR: return m_selectTaken && !end;
        case MyHTML_TAG_A: case MyHTML_TAG_B: case MyHTML_TAG_BIG: case MyHTML_TAG_CODE: case MyHTML_TAG_EM:
        case MyHTML_TAG_FONT: case MyHTML_TAG_I: case MyHTML_TAG_NOBR: case MyHTML_TAG_S: case MyHTML_TAG_SMALL:
        case MyHTML_TAG_STRIKE: case MyHTML_TAG_STRONG: case MyHTML_TAG_TT: case MyHTML_TAG_U: return m_selectTaken && end;
        default: return false;
        }
    }

    void apply(myhtml_tree_t &tree, myhtml_token_node_t &token);
    void afterDoctype(myhtml_tree_t &tree);
    [[nodiscard]] bool isSearchTag(myhtml_tree_t &tree, myhtml_tag_id_t tag);

    bool m_doctypeTaken = false;
    bool m_selectTaken = false; // a select start tag was met: the select rules may apply
    myhtml_tag_id_t m_searchTag = MyHTML_TAG__UNDEF;
};

// After the page's tree is converted: what the newer rules make of the finished document, with
// the select elements the tree builder made.
void finishDocument(Document &document, const std::vector<Element *> &selects);

} // namespace dom
