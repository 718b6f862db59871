#include "browser/builtin/dom/HtmlParser.h"

#include "browser/builtin/dom/EncodingSniffer.h"
#include "browser/builtin/dom/MyhtmlTreeConverter.h"
#include "browser/builtin/dom/TreeBuilderUpdates.h"

#include <myhtml/myhtml.h>
#include <myhtml/rules.h>
#include <myhtml/tree.h>
#include <mycore/utils/mcobject_async.h>

#include <algorithm>
#include <new>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace dom {
namespace {

// The working memory of a page up to this size (about fifteen times the page) is kept for the
// next page; a larger page's goes.
constexpr qsizetype ReusedTreeBytes = 256 * 1024;

struct MyhtmlRelease {
    void operator()(myhtml_t *myhtml) const { myhtml_destroy(myhtml); }
    void operator()(myhtml_tree_t *tree) const { myhtml_tree_destroy(tree); }
};

using MyhtmlPointer = std::unique_ptr<myhtml_t, MyhtmlRelease>;
using MyhtmlTreePointer = std::unique_ptr<myhtml_tree_t, MyhtmlRelease>;

[[nodiscard]] bool isRawTextElement(const myhtml_tree_node_t *node)
{
    if (!node || node->ns != MyHTML_NAMESPACE_HTML)
        return false;
    switch (node->tag_id) {
    case MyHTML_TAG_STYLE:
    case MyHTML_TAG_XMP:
    case MyHTML_TAG_IFRAME:
    case MyHTML_TAG_NOEMBED:
    case MyHTML_TAG_NOFRAMES: return true;
    default: return false;
    }
}

// Gives back to myhtml the memory of what the page no longer needs while it is parsed, so that
// myhtml's tree of a large page never stands beside the whole document model: the finished
// first children of the open elements are copied and freed, and so is each end tag once the
// tree builder is done with it.
//
// A child is finished when nothing the tree builder still holds lies in it: no open element, no
// entry of the list of active formatting elements, not the form or head element. The builder
// inserts only into open elements (before an open table at most) and moves only nodes it holds,
// and the children of the elements above a formatting element it may still adopt; elements
// from the first open formatting element on are left alone. Strings stay in myhtml's string
// store until the tree is cleaned: freeing them one by one costs more than the parse.
class FinishedNodeRelease {
public:
    FinishedNodeRelease(TreeConverter &converter, size_t tokensBetweenReleases)
        : m_converter(converter), m_tokensBetweenReleases(tokensBetweenReleases)
    {
    }

    // Called for every token before the tree builder takes it.
    void beforeToken(myhtml_tree_t &tree, myhtml_token_node_t &token)
    {
        if (m_spentEndTag)
            freeToken(tree, *m_spentEndTag);
        m_spentEndTag = isEndTag(token) ? &token : nullptr;
        if (++m_tokens % m_tokensBetweenReleases == 0)
            releaseFinishedChildren(tree);
    }

    // Called for every node the tree builder inserts.
    void inserted(const myhtml_tree_node_t &node)
    {
        // An end tag that stands for an element (</br>, </p>) belongs to its node.
        if (m_spentEndTag && node.token == m_spentEndTag)
            m_spentEndTag = nullptr;
    }

private:
    void releaseFinishedChildren(myhtml_tree_t &tree)
    {
        const std::unordered_set<const myhtml_tree_node_t *> held = heldByBuilder(tree);
        const std::unordered_set<const myhtml_tree_node_t *> formatting(
            tree.active_formatting->list, tree.active_formatting->list + tree.active_formatting->length);
        const myhtml_tree_list_t &open = *tree.open_elements;
        // The html element's children are the head and the body.
        for (size_t i = 1; i < open.length; ++i) {
            myhtml_tree_node_t &element = *open.list[i];
            if (formatting.contains(&element))
                return;
            const int ancestors = elementAncestorsOf(element);
            if (ancestors < 0 || !m_converter.takesChildrenAhead(ancestors))
                return;
            if (element.tag_id == MyHTML_TAG_TEMPLATE)
                continue;
            while (element.child && !held.contains(element.child)) {
                myhtml_tree_node_t *child = element.child;
                m_converter.holdChild(element, ancestors, *child);
                myhtml_tree_node_remove(child);
                freeSubtree(tree, *child);
            }
        }
    }

    // The element's ancestors that are elements, or -1 when it is not in the document.
    [[nodiscard]] static int elementAncestorsOf(const myhtml_tree_node_t &element)
    {
        int ancestors = 0;
        for (const myhtml_tree_node_t *node = element.parent; node; node = node->parent) {
            if (node == element.tree->document)
                return ancestors;
            ++ancestors;
        }
        return -1;
    }

    // The nodes the tree builder holds, with their ancestors.
    [[nodiscard]] static std::unordered_set<const myhtml_tree_node_t *> heldByBuilder(const myhtml_tree_t &tree)
    {
        std::unordered_set<const myhtml_tree_node_t *> held;
        const auto hold = [&held](const myhtml_tree_node_t *node) {
            for (; node && held.insert(node).second; node = node->parent) {
            }
        };
        for (const myhtml_tree_list_t *list : {tree.open_elements, tree.active_formatting}) {
            for (size_t i = 0; i < list->length; ++i)
                hold(list->list[i]);
        }
        hold(tree.node_form);
        hold(tree.node_head);
        return held;
    }

    static void freeSubtree(myhtml_tree_t &tree, myhtml_tree_node_t &root)
    {
        std::vector<myhtml_tree_node_t *> pending{&root};
        while (!pending.empty()) {
            myhtml_tree_node_t *node = pending.back();
            pending.pop_back();
            for (myhtml_tree_node_t *child = node->child; child; child = child->next)
                pending.push_back(child);
            if (node->token)
                freeToken(tree, *node->token);
            mcobject_async_free(tree.tree_obj, node);
        }
    }

    static void freeToken(myhtml_tree_t &tree, myhtml_token_node_t &token)
    {
        for (myhtml_token_attr_t *attribute = token.attr_first; attribute;) {
            myhtml_token_attr_t *next = attribute->next;
            mcobject_async_free(tree.token->attr_obj, attribute);
            attribute = next;
        }
        mcobject_async_free(tree.token->nodes_obj, &token);
    }

    TreeConverter &m_converter;
    const size_t m_tokensBetweenReleases;
    size_t m_tokens = 0;
    myhtml_token_node_t *m_spentEndTag = nullptr;
};

// One parse as myhtml's callbacks see it: the depth cap on the stack of open elements, and
// the stop request.
class ParseRun {
public:
    ParseRun(size_t maxDepth, std::stop_token stop, FinishedNodeRelease *release)
        : m_maxDepth(maxDepth), m_stop(std::move(stop)), m_release(release)
    {
    }

    [[nodiscard]] bool stopped() const { return m_stopped; }
    [[nodiscard]] const std::optional<QByteArray> &declaredEncoding() const { return m_declaredEncoding; }

    // Called for every token before the tree builder takes it.
    static void *beforeTreeBuilding(myhtml_tree_t *tree, myhtml_token_node_t *token, void *context)
    {
        auto &run = *static_cast<ParseRun *>(context);
        if (run.m_stop.stop_requested()) {
            // No more tree building, and the tokenizer takes what is left of the page for one
            // run of plain text, which it reads to the end at once.
            tree->parse_flags = MyHTML_TREE_PARSE_FLAGS_WITHOUT_PROCESS_TOKEN;
            tree->state = MyHTML_TOKENIZER_STATE_PLAINTEXT;
            run.m_stopped = true;
            return context;
        }
        if (run.m_release)
            run.m_release->beforeToken(*tree, *token);
        run.m_updates.beforeToken(*tree, *token);
        if (isStartTag(*token)) {
            run.closeDeepest(*tree);
            renameImageOutsideForeignContent(*tree, *token);
        }
        return context;
    }

    // Called for every token before myhtml reads its text. In a raw text element (style, xmp,
    // iframe, ...) myhtml goes on as in an RCDATA one after an end tag of another name, and takes
    // the text of one left open to the end of the page for ordinary text: either way it would
    // decode the character references in it. The text is raw text all the same.
    static void *beforeTextReading(myhtml_tree_t *tree, myhtml_token_node_t *token, void *context)
    {
        if (token->tag_id == MyHTML_TAG__TEXT && tree->insert_mode == MyHTML_INSERTION_MODE_TEXT
            && isRawTextElement(myhtml_tree_current_node(tree))) {
            const unsigned decoded = MyHTML_TOKEN_TYPE_DATA | MyHTML_TOKEN_TYPE_RCDATA;
            token->type = myhtml_token_type((token->type & ~decoded) | MyHTML_TOKEN_TYPE_RAWTEXT);
        }
        return context;
    }

    // Called for every node the tree builder inserts.
    static void nodeInserted(myhtml_tree_t *, myhtml_tree_node_t *node, void *context)
    {
        if (node->tag_id == MyHTML_TAG__TEXT)
            node->tag_id = SealedTextTag;
        auto &run = *static_cast<ParseRun *>(context);
        if (run.m_release)
            run.m_release->inserted(*node);
        if (!run.m_bodyInserted && node->ns == MyHTML_NAMESPACE_HTML)
            run.noteHeadElement(*node);
    }

private:
    // An element inserted before the body: a <meta> may declare the page's encoding.
    void noteHeadElement(const myhtml_tree_node_t &node)
    {
        if (node.tag_id == MyHTML_TAG_BODY || node.tag_id == MyHTML_TAG_FRAMESET) {
            m_bodyInserted = true;
            return;
        }
        if (node.tag_id != MyHTML_TAG_META || !node.token || m_declaredEncoding)
            return;
        std::optional<QByteArrayView> charset;
        std::optional<QByteArrayView> httpEquiv;
        std::optional<QByteArrayView> content;
        for (const myhtml_token_attr_t *attribute = node.token->attr_first; attribute; attribute = attribute->next) {
            const std::string_view key = textOf(attribute->key);
            std::optional<QByteArrayView> *field = key == "charset" ? &charset
                : key == "http-equiv"                               ? &httpEquiv
                : key == "content"                                  ? &content
                                                                    : nullptr;
            // Of attributes of one name, the first counts.
            if (field && !*field) {
                const std::string_view value = textOf(attribute->value);
                *field = QByteArrayView(value.data(), qsizetype(value.size()));
            }
        }
        m_declaredEncoding = metaElementEncoding(charset, httpEquiv, content);
    }

    // The tree builder reads an <image> start tag in HTML content as <img>. myhtml does so too,
    // but loses one in a table instead of putting it before the table: it is renamed first.
    static void renameImageOutsideForeignContent(myhtml_tree_t &tree, myhtml_token_node_t &token)
    {
        const myhtml_tree_node_t *adjusted = myhtml_tree_adjusted_current_node(&tree);
        if (token.tag_id == MyHTML_TAG_IMAGE && (!adjusted || adjusted->ns == MyHTML_NAMESPACE_HTML))
            token.tag_id = MyHTML_TAG_IMG;
    }

    // Gives the tree builder the end tag of the deepest open element while the stack is full,
    // as if the page had closed it: the builder's own rules then pop it, whatever the element.
    void closeDeepest(myhtml_tree_t &tree)
    {
        while (tree.open_elements->length >= m_maxDepth) {
            const size_t depth = tree.open_elements->length;
            if (!m_endTag)
                m_endTag = myhtml_token_node_create(tree.token, tree.token->mcasync_token_id);
            if (!m_endTag)
                return;
            m_endTag->tag_id = tree.open_elements->list[depth - 1]->tag_id;
            m_endTag->type = myhtml_token_type(MyHTML_TOKEN_TYPE_CLOSE | MyHTML_TOKEN_TYPE_DONE);
            while (myhtml_rules_tree_dispatcher(&tree, m_endTag)) {
            }
            if (tree.open_elements->length >= depth)
                return;
        }
    }

    const size_t m_maxDepth;
    const std::stop_token m_stop;
    FinishedNodeRelease *const m_release; // null when nothing is released on the way
    myhtml_token_node_t *m_endTag = nullptr; // lives in the tree's memory until its next parse
    bool m_stopped = false;
    bool m_bodyInserted = false;
    std::optional<QByteArray> m_declaredEncoding;
    TreeBuilderUpdates m_updates;
};

} // namespace

class HtmlParser::TreeBuilder {
public:
    TreeBuilder(int maxDepth, size_t tokensBetweenReleases)
        : m_maxDepth(std::max(maxDepth, 1)), m_tokensBetweenReleases(tokensBetweenReleases)
    {
        if (!m_myhtml || myhtml_init(m_myhtml.get(), MyHTML_OPTIONS_PARSE_MODE_SINGLE, 1, 0) != MyHTML_STATUS_OK)
            throw std::runtime_error("the HTML parser could not be set up");
    }

    [[nodiscard]] std::unique_ptr<Document> parse(const QByteArray &utf8, std::stop_token stop)
    {
        myhtml_tree_t &tree = readyTree();
        TreeConverter converter(tree, stop, m_maxDepth);
        std::optional<FinishedNodeRelease> release;
        if (m_tokensBetweenReleases > 0)
            release.emplace(converter, m_tokensBetweenReleases);
        ParseRun run(size_t(m_maxDepth), std::move(stop), release ? &*release : nullptr);
        myhtml_callback_before_token_done_set(&tree, &ParseRun::beforeTextReading, nullptr);
        myhtml_callback_after_token_done_set(&tree, &ParseRun::beforeTreeBuilding, &run);
        myhtml_callback_tree_node_insert_set(&tree, &ParseRun::nodeInserted, &run);
        const mystatus_t status = parseAll(tree, utf8);
        myhtml_callback_before_token_done_set(&tree, nullptr, nullptr);
        myhtml_callback_after_token_done_set(&tree, nullptr, nullptr);
        myhtml_callback_tree_node_insert_set(&tree, nullptr, nullptr);
        m_declaredEncoding = run.declaredEncoding();
        std::unique_ptr<Document> document;
        if (status == MyHTML_STATUS_OK && !run.stopped())
            document = converter.convert();
        // A stopped parse leaves the tree set to tokenize only; a large page's memory goes.
        if (status != MyHTML_STATUS_OK || run.stopped() || utf8.size() > ReusedTreeBytes)
            m_tree.reset();
        if (status != MyHTML_STATUS_OK)
            throw std::bad_alloc();
        return document;
    }

    [[nodiscard]] const std::optional<QByteArray> &declaredEncoding() const { return m_declaredEncoding; }

private:
    [[nodiscard]] static mystatus_t parseAll(myhtml_tree_t &tree, const QByteArray &utf8)
    {
        if (tree.flags & MyHTML_TREE_FLAGS_PARSE_END)
            myhtml_tree_clean(&tree);
        myhtml_encoding_set(&tree, MyENCODING_UTF_8);
        const mystatus_t status =
            myhtml_parse_chunk_single(&tree, utf8.isEmpty() ? "" : utf8.constData(), size_t(utf8.size()));
        if (status != MyHTML_STATUS_OK)
            return status;
        dropUnfinishedTag(tree);
        return myhtml_parse_chunk_end(&tree);
    }

    // A page that ends inside a tag ends there: the tag is dropped. myhtml would make text of
    // a part of it, or the element itself.
    static void dropUnfinishedTag(myhtml_tree_t &tree)
    {
        switch (tree.state) {
        case MyHTML_TOKENIZER_STATE_TAG_NAME:
        case MyHTML_TOKENIZER_STATE_BEFORE_ATTRIBUTE_NAME:
        case MyHTML_TOKENIZER_STATE_ATTRIBUTE_NAME:
        case MyHTML_TOKENIZER_STATE_AFTER_ATTRIBUTE_NAME:
        case MyHTML_TOKENIZER_STATE_BEFORE_ATTRIBUTE_VALUE:
        case MyHTML_TOKENIZER_STATE_ATTRIBUTE_VALUE_DOUBLE_QUOTED:
        case MyHTML_TOKENIZER_STATE_ATTRIBUTE_VALUE_SINGLE_QUOTED:
        case MyHTML_TOKENIZER_STATE_ATTRIBUTE_VALUE_UNQUOTED:
        case MyHTML_TOKENIZER_STATE_CHARACTER_REFERENCE_IN_ATTRIBUTE_VALUE:
        case MyHTML_TOKENIZER_STATE_AFTER_ATTRIBUTE_VALUE_QUOTED:
        case MyHTML_TOKENIZER_STATE_SELF_CLOSING_START_TAG:
            // The end of input in this state adds nothing.
            tree.state = MyHTML_TOKENIZER_STATE_PARSE_ERROR_STOP;
            break;
        default: break;
        }
    }

    [[nodiscard]] myhtml_tree_t &readyTree()
    {
        if (!m_tree) {
            MyhtmlTreePointer tree(myhtml_tree_create());
            if (!tree || myhtml_tree_init(tree.get(), m_myhtml.get()) != MyHTML_STATUS_OK)
                throw std::bad_alloc();
            m_tree = std::move(tree);
        }
        return *m_tree;
    }

    const int m_maxDepth;
    const size_t m_tokensBetweenReleases;
    MyhtmlPointer m_myhtml{myhtml_create()};
    MyhtmlTreePointer m_tree;
    std::optional<QByteArray> m_declaredEncoding;
};

HtmlParser::HtmlParser(int maxDepth, size_t tokensBetweenReleases)
    : m_builder(std::make_unique<TreeBuilder>(maxDepth, tokensBetweenReleases))
{
}

HtmlParser::~HtmlParser() = default;

std::unique_ptr<Document> HtmlParser::parse(const QByteArray &utf8, std::stop_token stop)
{
    return m_builder->parse(utf8, std::move(stop));
}

const std::optional<QByteArray> &HtmlParser::declaredEncoding() const
{
    return m_builder->declaredEncoding();
}

std::unique_ptr<Document> parseHtml(const QByteArray &utf8)
{
    return HtmlParser().parse(utf8);
}

} // namespace dom
