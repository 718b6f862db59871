#pragma once

#include "browser/builtin/dom/Node.h"

#include <QByteArray>

#include <cstddef>
#include <memory>
#include <optional>
#include <stop_token>

namespace dom {

// Browsers stop nesting elements at a few hundred levels. The parser's scope checks walk the
// stack of open elements, so every level deeper makes each later tag dearer to parse.
inline constexpr int MaxNestingDepth = 512;

// Parses UTF-8 HTML (NUL bytes and invalid sequences included) by the HTML5 tree construction
// rules into a document tree.
//
// No element is nested deeper than the parser's depth: a start tag that would open one deeper
// first closes the deepest open element, as its end tag would, so that the new element becomes
// its sibling. The depth is counted on the parser's own stack of open elements, whatever the
// markup looks like (comments, raw text, foreign content).
//
// myhtml's tree of a large page takes about thirty times the page: the parser copies and frees
// the finished part of the body every this many tokens, so that it never holds more than a
// small part of the page beside the document.
inline constexpr size_t TokensBetweenReleases = 4096;

// A parser keeps its working memory from one page to the next; it serves one thread at a time.
class HtmlParser {
public:
    // With `tokensBetweenReleases` 0, the whole of myhtml's tree is copied at the end.
    explicit HtmlParser(int maxDepth = MaxNestingDepth, size_t tokensBetweenReleases = TokensBetweenReleases);
    ~HtmlParser();
    HtmlParser(const HtmlParser &) = delete;
    HtmlParser &operator=(const HtmlParser &) = delete;

    // The document, or null when `stop` was requested before it was complete.
    [[nodiscard]] std::unique_ptr<Document> parse(const QByteArray &utf8, std::stop_token stop = {});

    // The encoding the first <meta> of the last page parsed declares (see metaElementEncoding),
    // of those the tree builder met before the page's body: as Chromium, no later one counts.
    [[nodiscard]] const std::optional<QByteArray> &declaredEncoding() const;

private:
    class TreeBuilder;
    std::unique_ptr<TreeBuilder> m_builder;
};

// Parses with a parser of its own.
[[nodiscard]] std::unique_ptr<Document> parseHtml(const QByteArray &utf8);

} // namespace dom
