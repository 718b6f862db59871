#include "browser/builtin/dom/TreeBuilderUpdates.h"

#include "browser/builtin/dom/TreeWalk.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <array>
#include <string_view>

namespace dom {
namespace {

// The token goes by the rules for HTML content, not by those for foreign content.
[[nodiscard]] bool takenAsHtml(myhtml_tree_t &tree)
{
    myhtml_tree_node_t *adjusted = myhtml_tree_adjusted_current_node(&tree);
    return !adjusted || adjusted->ns == MyHTML_NAMESPACE_HTML || myhtml_tree_is_html_integration_point(&tree, adjusted);
}

[[nodiscard]] bool hasSelectInScope(myhtml_tree_t &tree)
{
    return myhtml_tree_element_in_scope(&tree, MyHTML_TAG_SELECT, MyHTML_NAMESPACE_HTML, MyHTML_TAG_CATEGORIES_SCOPE)
        != nullptr;
}

// The tree builder ignores a DOCTYPE token anywhere past the start of the page: in the body,
// where the rules below act, a token turned into one is dropped.
void ignore(myhtml_token_node_t &token)
{
    token.tag_id = MyHTML_TAG__DOCTYPE;
    token.type = myhtml_token_type(token.type & ~MyHTML_TOKEN_TYPE_CLOSE);
}

// "Reset the insertion mode appropriately", which no longer has a step for select: the mode of
// the nearest open element that sets one.
[[nodiscard]] myhtml_insertion_mode modeWithoutSelect(const myhtml_tree_t &tree)
{
    const myhtml_tree_list_t &open = *tree.open_elements;
    for (size_t i = open.length; i-- > 0;) {
        const myhtml_tree_node_t &node = *open.list[i];
        const bool last = i == 0;
        if (node.ns == MyHTML_NAMESPACE_HTML) {
            switch (node.tag_id) {
            case MyHTML_TAG_TD:
            case MyHTML_TAG_TH:
                if (!last)
                    return MyHTML_INSERTION_MODE_IN_CELL;
                break;
            case MyHTML_TAG_TR: return MyHTML_INSERTION_MODE_IN_ROW;
            case MyHTML_TAG_TBODY:
            case MyHTML_TAG_THEAD:
            case MyHTML_TAG_TFOOT: return MyHTML_INSERTION_MODE_IN_TABLE_BODY;
            case MyHTML_TAG_CAPTION: return MyHTML_INSERTION_MODE_IN_CAPTION;
            case MyHTML_TAG_COLGROUP: return MyHTML_INSERTION_MODE_IN_COLUMN_GROUP;
            case MyHTML_TAG_TABLE: return MyHTML_INSERTION_MODE_IN_TABLE;
            case MyHTML_TAG_TEMPLATE:
                if (tree.template_insertion->length > 0)
                    return tree.template_insertion->list[tree.template_insertion->length - 1];
                break;
            case MyHTML_TAG_HEAD:
                if (!last)
                    return MyHTML_INSERTION_MODE_IN_HEAD;
                break;
            case MyHTML_TAG_BODY: return MyHTML_INSERTION_MODE_IN_BODY;
            case MyHTML_TAG_FRAMESET: return MyHTML_INSERTION_MODE_IN_FRAMESET;
            case MyHTML_TAG_HTML:
                return tree.node_head ? MyHTML_INSERTION_MODE_AFTER_HEAD : MyHTML_INSERTION_MODE_BEFORE_HEAD;
            default: break;
            }
        }
        if (last)
            return MyHTML_INSERTION_MODE_IN_BODY;
    }
    return MyHTML_INSERTION_MODE_IN_BODY;
}

[[nodiscard]] bool isFormattingTag(myhtml_tag_id_t tag)
{
    switch (tag) {
    case MyHTML_TAG_A: case MyHTML_TAG_B: case MyHTML_TAG_BIG: case MyHTML_TAG_CODE: case MyHTML_TAG_EM:
    case MyHTML_TAG_FONT: case MyHTML_TAG_I: case MyHTML_TAG_NOBR: case MyHTML_TAG_S: case MyHTML_TAG_SMALL:
    case MyHTML_TAG_STRIKE: case MyHTML_TAG_STRONG: case MyHTML_TAG_TT: case MyHTML_TAG_U: return true;
    default: return false;
    }
}

// The end tag of a formatting element opened before the select in scope: it cannot reach past
// the select, and is ignored.
[[nodiscard]] bool endsFormattingOutsideSelect(myhtml_tree_t &tree, const myhtml_token_node_t &token)
{
    size_t formatting = 0;
    size_t select = 0;
    return isEndTag(token) && isFormattingTag(token.tag_id)
        && myhtml_tree_open_elements_find_by_tag_idx_reverse(&tree, token.tag_id, MyHTML_NAMESPACE_HTML, &formatting)
        && myhtml_tree_open_elements_find_by_tag_idx_reverse(&tree, MyHTML_TAG_SELECT, MyHTML_NAMESPACE_HTML, &select)
        && formatting < select;
}

// The tokens the select rules below act on. The end tag of the current node, the usual end of
// a formatting element, cannot reach past a select.
[[nodiscard]] bool concernsSelect(myhtml_tree_t &tree, const myhtml_token_node_t &token)
{
    switch (token.tag_id) {
    case MyHTML_TAG_SELECT: return true;
    case MyHTML_TAG_INPUT:
    case MyHTML_TAG_OPTION:
    case MyHTML_TAG_OPTGROUP:
    case MyHTML_TAG_HR: return isStartTag(token);
    default: break;
    }
    if (!isEndTag(token) || !isFormattingTag(token.tag_id))
        return false;
    const myhtml_tree_node_t *current = myhtml_tree_current_node(&tree);
    return !current || current->tag_id != token.tag_id || current->ns != MyHTML_NAMESPACE_HTML;
}

// In body, a select element's content is parsed as any other's; what is left of the old "in
// select" insertion mode:
void applySelectRules(myhtml_tree_t &tree, myhtml_token_node_t &token)
{
    const bool start = isStartTag(token);
    if (endsFormattingOutsideSelect(tree, token)) {
        ignore(token);
        return;
    }
    switch (token.tag_id) {
    case MyHTML_TAG_SELECT:
        // A start tag "select" with a select in scope, and an end tag "select": pop elements
        // until a select element has been popped (the start tag is then ignored).
        myhtml_tree_open_elements_pop_until(&tree, MyHTML_TAG_SELECT, MyHTML_NAMESPACE_HTML, false);
        tree.insert_mode = modeWithoutSelect(tree);
        ignore(token);
        break;
    case MyHTML_TAG_INPUT:
        // A start tag "input" with a select in scope: the select ends before it.
        if (start) {
            myhtml_tree_open_elements_pop_until(&tree, MyHTML_TAG_SELECT, MyHTML_NAMESPACE_HTML, false);
            tree.insert_mode = modeWithoutSelect(tree);
        }
        break;
    case MyHTML_TAG_OPTION:
        // A start tag "option" with a select in scope: generate implied end tags except for optgroup.
        if (start)
            myhtml_tree_generate_implied_end_tags(&tree, MyHTML_TAG_OPTGROUP, MyHTML_NAMESPACE_HTML);
        break;
    case MyHTML_TAG_OPTGROUP:
    case MyHTML_TAG_HR:
        // A start tag "optgroup" or "hr" with a select in scope: generate implied end tags.
        if (start)
            myhtml_tree_generate_implied_end_tags(&tree, MyHTML_TAG__UNDEF, MyHTML_NAMESPACE_UNDEF);
        break;
    default: break;
    }
}

// In foreign content, an end tag "br" or "p": pop elements until the current node is an HTML
// element or an integration point, and take the token there.
void leaveForeignContent(myhtml_tree_t &tree)
{
    for (myhtml_tree_node_t *node = myhtml_tree_current_node(&tree);
         node && node->ns != MyHTML_NAMESPACE_HTML && !myhtml_tree_is_mathml_integration_point(&tree, node)
         && !myhtml_tree_is_html_integration_point(&tree, node);
         node = myhtml_tree_current_node(&tree))
        myhtml_tree_open_elements_pop(&tree);
}

[[nodiscard]] bool startsWithCaseless(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && qstrnicmp(text.data(), prefix.data(), prefix.size()) == 0;
}

[[nodiscard]] bool equalsCaseless(std::string_view text, std::string_view other)
{
    return text.size() == other.size() && startsWithCaseless(text, other);
}

// The public identifiers whose documents are in quirks mode: those that start with one of these.
constexpr std::array<std::string_view, 55> QuirksPublicPrefixes = {
    "+//Silmaril//dtd html Pro v0r11 19970101//", "-//AS//DTD HTML 3.0 asWedit + extensions//",
    "-//AdvaSoft Ltd//DTD HTML 3.0 asWedit + extensions//", "-//IETF//DTD HTML 2.0 Level 1//",
    "-//IETF//DTD HTML 2.0 Level 2//", "-//IETF//DTD HTML 2.0 Strict Level 1//",
    "-//IETF//DTD HTML 2.0 Strict Level 2//", "-//IETF//DTD HTML 2.0 Strict//", "-//IETF//DTD HTML 2.0//",
    "-//IETF//DTD HTML 2.1E//", "-//IETF//DTD HTML 3.0//", "-//IETF//DTD HTML 3.2 Final//", "-//IETF//DTD HTML 3.2//",
    "-//IETF//DTD HTML 3//", "-//IETF//DTD HTML Level 0//", "-//IETF//DTD HTML Level 1//",
    "-//IETF//DTD HTML Level 2//", "-//IETF//DTD HTML Level 3//", "-//IETF//DTD HTML Strict Level 0//",
    "-//IETF//DTD HTML Strict Level 1//", "-//IETF//DTD HTML Strict Level 2//", "-//IETF//DTD HTML Strict Level 3//",
    "-//IETF//DTD HTML Strict//", "-//IETF//DTD HTML//", "-//Metrius//DTD Metrius Presentational//",
    "-//Microsoft//DTD Internet Explorer 2.0 HTML Strict//", "-//Microsoft//DTD Internet Explorer 2.0 HTML//",
    "-//Microsoft//DTD Internet Explorer 2.0 Tables//", "-//Microsoft//DTD Internet Explorer 3.0 HTML Strict//",
    "-//Microsoft//DTD Internet Explorer 3.0 HTML//", "-//Microsoft//DTD Internet Explorer 3.0 Tables//",
    "-//Netscape Comm. Corp.//DTD HTML//", "-//Netscape Comm. Corp.//DTD Strict HTML//",
    "-//O'Reilly and Associates//DTD HTML 2.0//", "-//O'Reilly and Associates//DTD HTML Extended 1.0//",
    "-//O'Reilly and Associates//DTD HTML Extended Relaxed 1.0//", "-//SQ//DTD HTML 2.0 HoTMetaL + extensions//",
    "-//SoftQuad Software//DTD HoTMetaL PRO 6.0::19990601::extensions to HTML 4.0//",
    "-//SoftQuad//DTD HoTMetaL PRO 4.0::19971010::extensions to HTML 4.0//", "-//Spyglass//DTD HTML 2.0 Extended//",
    "-//Sun Microsystems Corp.//DTD HotJava HTML//", "-//Sun Microsystems Corp.//DTD HotJava Strict HTML//",
    "-//W3C//DTD HTML 3 1995-03-24//", "-//W3C//DTD HTML 3.2 Draft//", "-//W3C//DTD HTML 3.2 Final//",
    "-//W3C//DTD HTML 3.2//", "-//W3C//DTD HTML 3.2S Draft//", "-//W3C//DTD HTML 4.0 Frameset//",
    "-//W3C//DTD HTML 4.0 Transitional//", "-//W3C//DTD HTML Experimental 19960712//",
    "-//W3C//DTD HTML Experimental 970421//", "-//W3C//DTD W3 HTML//", "-//W3O//DTD W3 HTML 3.0//",
    "-//WebTechs//DTD Mozilla HTML 2.0//", "-//WebTechs//DTD Mozilla HTML//",
};

// The initial insertion mode's DOCTYPE rules: the identifiers that put the document in quirks mode.
[[nodiscard]] bool isQuirksDoctype(const myhtml_tree_doctype_t &doctype)
{
    const std::string_view publicId = doctype.attr_public ? doctype.attr_public : "";
    const std::string_view systemId = doctype.attr_system ? doctype.attr_system : "";
    if (!doctype.attr_name || !equalsCaseless(doctype.attr_name, "html"))
        return true;
    if (equalsCaseless(publicId, "-//W3O//DTD W3 HTML Strict 3.0//EN//")
        || equalsCaseless(publicId, "-/W3C/DTD HTML 4.0 Transitional/EN") || equalsCaseless(publicId, "HTML")
        || equalsCaseless(systemId, "http://www.ibm.com/data/dtd/v11/ibmxhtml1-transitional.dtd"))
        return true;
    if (std::any_of(QuirksPublicPrefixes.begin(), QuirksPublicPrefixes.end(),
                    [&](std::string_view prefix) { return startsWithCaseless(publicId, prefix); }))
        return true;
    return !doctype.attr_system
        && (startsWithCaseless(publicId, "-//W3C//DTD HTML 4.01 Frameset//")
            || startsWithCaseless(publicId, "-//W3C//DTD HTML 4.01 Transitional//"));
}

[[nodiscard]] Element &appendElement(Node &parent, const char *name)
{
    return static_cast<Element &>(parent.appendChild(std::make_unique<Element>(QString::fromLatin1(name), Namespace::Html)));
}

[[nodiscard]] Element *childElement(const Node &parent, QLatin1StringView name)
{
    for (const auto &child : parent.children())
        if (Element *element = const_cast<Node &>(*child).asElement(); element && element->is(name))
            return element;
    return nullptr;
}

// At the end of the input every insertion mode before the body's inserts what is missing: the
// html, head and body elements. A page that ends inside a tag ends there, and gets them too.
void completeDocumentElements(Document &document)
{
    Element *html = document.documentElement();
    if (!html)
        html = &appendElement(document, "html");
    if (!childElement(*html, QLatin1StringView("head")))
        (void)appendElement(*html, "head");
    if (!childElement(*html, QLatin1StringView("body")) && !childElement(*html, QLatin1StringView("frameset")))
        (void)appendElement(*html, "body");
}

[[nodiscard]] std::unique_ptr<Node> shallowCopy(const Node &node)
{
    switch (node.type()) {
    case NodeType::Element: {
        const auto &element = static_cast<const Element &>(node);
        auto copy = std::make_unique<Element>(element.localName(), element.elementNamespace());
        for (const Attribute &attribute : element.attributes())
            copy->appendAttribute(attribute);
        return copy;
    }
    case NodeType::Text: return std::make_unique<Text>(static_cast<const Text &>(node).data());
    case NodeType::Comment: return std::make_unique<Comment>(static_cast<const Comment &>(node).data());
    default: return nullptr;
    }
}

// Copies of the children of a node and of everything under them.
[[nodiscard]] std::vector<std::unique_ptr<Node>> deepCopiesOfChildren(const Node &parent)
{
    auto holder = std::make_unique<DocumentFragment>();
    std::vector<Node *> copies{holder.get()};
    walkDescendants(
        parent,
        [&copies](const Node &node) {
            auto copy = shallowCopy(node);
            if (!copy)
                return Walk::SkipChildren;
            copies.push_back(&copies.back()->appendChild(std::move(copy)));
            return Walk::Continue;
        },
        [&copies](const Node &node) {
            if (node.type() == NodeType::Element || node.type() == NodeType::Text || node.type() == NodeType::Comment)
                copies.pop_back();
        });
    return holder->takeChildren();
}

// "Update a select's selectedcontent": the first selectedcontent element in a select (that
// does not allow several choices) holds a copy of the selected option's content, the last
// option marked selected or else the first option.
void fillSelectedContent(Element &select)
{
    Element *selectedContent = nullptr;
    Element *chosen = nullptr;
    Element *first = nullptr;
    forEachElement(select, [&](Element &element) {
        if (element.is(QLatin1StringView("selectedcontent")) && !selectedContent)
            selectedContent = &element;
        if (element.is(QLatin1StringView("option"))) {
            first = first ? first : &element;
            if (element.hasAttribute(u"selected"))
                chosen = &element;
        }
        return element.is(QLatin1StringView("selectedcontent")) ? Walk::SkipChildren : Walk::Continue;
    });
    const Element *option = chosen ? chosen : first;
    if (!selectedContent || !option || select.hasAttribute(u"multiple"))
        return;
    (void)selectedContent->takeChildren();
    selectedContent->appendChildren(deepCopiesOfChildren(*option));
}

// The search element is one of the grouping elements of "address, article, aside, ...": its start
// tag closes a p element in button scope, its end tag closes what is open inside it.
void applySearchRules(myhtml_tree_t &tree, myhtml_token_node_t &token)
{
    if (isStartTag(token)) {
        if (myhtml_tree_element_in_scope(&tree, MyHTML_TAG_P, MyHTML_NAMESPACE_HTML, MyHTML_TAG_CATEGORIES_SCOPE_BUTTON))
            myhtml_tree_tags_close_p(&tree, &token);
        return;
    }
    // Without a search element in scope the tree builder ignores the end tag itself.
    if (!myhtml_tree_element_in_scope(&tree, token.tag_id, MyHTML_NAMESPACE_HTML, MyHTML_TAG_CATEGORIES_SCOPE))
        return;
    myhtml_tree_generate_implied_end_tags(&tree, MyHTML_TAG__UNDEF, MyHTML_NAMESPACE_UNDEF);
    myhtml_tree_open_elements_pop_until(&tree, token.tag_id, MyHTML_NAMESPACE_HTML, false);
    ignore(token);
}

} // namespace

void TreeBuilderUpdates::apply(myhtml_tree_t &tree, myhtml_token_node_t &token)
{
    if (m_doctypeTaken) {
        m_doctypeTaken = false;
        afterDoctype(tree);
    }
    if (token.tag_id == MyHTML_TAG__DOCTYPE && tree.insert_mode == MyHTML_INSERTION_MODE_INITIAL)
        m_doctypeTaken = true;
    // There is no "in select" insertion mode any more.
    if (tree.insert_mode == MyHTML_INSERTION_MODE_IN_SELECT || tree.insert_mode == MyHTML_INSERTION_MODE_IN_SELECT_IN_TABLE)
        tree.insert_mode = modeWithoutSelect(tree);
    if (!isTag(token))
        return;
    m_selectTaken = m_selectTaken || (token.tag_id == MyHTML_TAG_SELECT && isStartTag(token));
    if (isEndTag(token) && (token.tag_id == MyHTML_TAG_P || token.tag_id == MyHTML_TAG_BR) && !takenAsHtml(tree))
        leaveForeignContent(tree);
    // The scope checks walk the stack of open elements: only the tokens a rule is about take them.
    const bool forSelect = m_selectTaken && concernsSelect(tree, token);
    const bool forSearch = isSearchTag(tree, token.tag_id);
    if ((!forSelect && !forSearch) || !takenAsHtml(tree))
        return;
    if (forSelect && hasSelectInScope(tree))
        applySelectRules(tree, token);
    if (forSearch)
        applySearchRules(tree, token);
}

bool TreeBuilderUpdates::isSearchTag(myhtml_tree_t &tree, myhtml_tag_id_t tag)
{
    // myhtml gives the names it does not know ids of their own as it meets them.
    if (tag < MyHTML_TAG_LAST_ENTRY)
        return false;
    if (m_searchTag == MyHTML_TAG__UNDEF) {
        size_t length = 0;
        const char *name = myhtml_tag_name_by_id(&tree, tag, &length);
        if (name && std::string_view(name, length) == "search")
            m_searchTag = tag;
    }
    return tag == m_searchTag;
}

void TreeBuilderUpdates::afterDoctype(myhtml_tree_t &tree)
{
    if (isQuirksDoctype(tree.doctype))
        tree.compat_mode = MyHTML_TREE_COMPAT_MODE_QUIRKS;
}

void finishDocument(Document &document, const std::vector<Element *> &selects)
{
    completeDocumentElements(document);
    // The last first: a select inside another's selectedcontent goes when that one is filled.
    for (auto select = selects.rbegin(); select != selects.rend(); ++select)
        fillSelectedContent(**select);
}

} // namespace dom
