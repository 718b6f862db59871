#pragma once

#include "browser/builtin/dom/Editing.h"
#include "browser/builtin/dom/HtmlSerializer.h"
#include "browser/builtin/view/MarginCollapse.h"
#include "browser/builtin/view/PageResources.h"
#include "browser/builtin/view/PainterContainer.h"

#include <litehtml.h>

#include <QRect>
#include <QString>

#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class ControlElement;
class QPainter;

namespace dom {
class DocumentModel;
}

// One layout of an engine document: its display serialisation laid out by litehtml, with the
// way back from each box to the engine's node, so that a click, a drag or an outline finds its
// element. The layout keeps the document model alive, so its nodes stay valid.
// It is made in three steps: read() (litehtml's parse of the page and its style sheets, and the
// styles) and layOut() may run on another thread than the one that owns the document, as they
// touch nothing but the layout itself and copies made when it was constructed; prepare(), between
// them, and everything after them run on the document's thread.
class PageLayout {
public:
    // The resources that had arrived are copied, the rest is asked for by prepare().
    PageLayout(std::shared_ptr<dom::DocumentModel> model, dom::DisplayHtml display, PageResources &resources,
               const FieldFocus &focus, const QSize &viewport);
    ~PageLayout();
    PageLayout(const PageLayout &) = delete;
    PageLayout &operator=(const PageLayout &) = delete;

    [[nodiscard]] const std::shared_ptr<dom::DocumentModel> &model() const { return m_model; }
    // The serialisation laid out, to tell whether a changed document needs a new layout.
    [[nodiscard]] const QString &html() const { return m_display.html; }
    [[nodiscard]] const dom::DisplayHtml &display() const { return m_display; }
    // The cursor the element under the mouse asks for ("pointer", "text", "auto", ...).
    [[nodiscard]] const QString &cursor() const { return m_container.cursor(); }

    // Reads the page and its style sheets into boxes and styles them.
    void read();
    // Fetches what the reading asked for and had not arrived, maps the boxes to the engine's nodes
    // and measures the form controls from their elements.
    void prepare();
    // Places the boxes for the viewport's width; the size of the page follows.
    void layOut();
    // Makes a read() or layOut() running on another thread end soon, its boxes unstyled or
    // unplaced; from any thread.
    void cancel() { m_container.cancelLayout(); }
    // Frees the boxes of a layout that is no longer used, on any thread: nothing of it is used
    // after.
    void discard();
    [[nodiscard]] QSize size() const { return m_size; }
    // Draws the part of the page in the clip (page coordinates) with the painter.
    void paint(QPainter &painter, const QRect &clip) const;
    // Tells the layout where the mouse is, for :hover styles and the cursor; true when the
    // page's look changed.
    bool hover(const QPoint &point, const QPoint &viewportPoint);

    // Maps the engine's nodes to the boxes again after the tree changed without changing the
    // serialisation (text split by a selection).
    void mapNodes();

    // The innermost element under the point, or null.
    [[nodiscard]] dom::Element *elementAt(const QPoint &point, const QPoint &viewportPoint) const;
    // The form control drawn for the element, or null when it is not one or not laid out.
    [[nodiscard]] ControlElement *controlOf(const dom::Element &element) const;
    // The form controls in document order.
    [[nodiscard]] std::vector<ControlElement *> controls() const;
    // Where the element is drawn: its border box, or for an inline element the boxes of its
    // lines; empty when it is not drawn.
    [[nodiscard]] std::vector<QRect> boxesOf(const dom::Element &element) const;
    // The boxes of the document's selection, line by line.
    [[nodiscard]] std::vector<QRect> selectionBoxes() const;

    // The word or box under the point, or the nearest one before it: what a drag starts or
    // ends at; nullopt on a page without any.
    [[nodiscard]] std::optional<size_t> leafNear(const QPoint &point) const;
    // The boxes of the leaves between two (in either order), line by line.
    [[nodiscard]] std::vector<QRect> leafBoxes(size_t from, size_t to) const;
    // The selection point at the start or the end of a leaf.
    [[nodiscard]] dom::SelectionPoint selectionPoint(size_t leaf, bool atEnd) const;

private:
    // A box that holds no other: a word, a space, an image, a control; and the engine's node
    // and text range it shows.
    struct Leaf {
        litehtml::element *box;
        dom::Node *node;
        qsizetype start = 0;
        qsizetype end = 0;
    };
    // A numbered element's box and the range of leaves inside it.
    struct Mapped {
        litehtml::element *box = nullptr;
        size_t firstLeaf = 0;
        size_t endLeaf = 0;
    };
    struct TextRun;

    void mapChildren(litehtml::element &box, dom::Element &element, TextRun &run, size_t &childIndex);
    void mapText(litehtml::element &box, dom::Element &element, TextRun &run);
    [[nodiscard]] QRect leafRect(size_t leaf) const;
    [[nodiscard]] std::vector<QRect> linesOf(const std::vector<size_t> &leaves) const;

    std::shared_ptr<dom::DocumentModel> m_model;
    dom::DisplayHtml m_display;
    PageResources &m_pageResources;
    ArrivedResources m_resources;
    // Declared before the document whose boxes use it, so that it ends after them; a paint
    // changes only what it draws with.
    mutable PainterContainer m_container;
    // The user agent's rules that may match an element of this page, which the document uses.
    litehtml::context m_context;
    int m_width;
    litehtml::document::ptr m_document;
    MarginCollapse m_margins;
    QSize m_size;
    std::vector<Leaf> m_leaves;
    std::unordered_map<const dom::Element *, Mapped> m_mapped;
};
