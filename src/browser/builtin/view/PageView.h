#pragma once

#include "browser/builtin/dom/HtmlSerializer.h"
#include "browser/builtin/net/LoadLimits.h"
#include "browser/builtin/view/LayoutPacing.h"
#include "browser/builtin/view/LayoutWorker.h"
#include "browser/builtin/view/PainterContainer.h"

#include <QAbstractScrollArea>
#include <QPointer>
#include <QTimer>

#include <litehtml.h>

#include <memory>
#include <optional>

class Document;
class PageLayout;
class PageResources;
class NetworkAccess;

namespace dom {
class DocumentModel;
class Element;
}

// Shows a built-in page as a browser draws it, laid out from the engine's own document, and
// lets a person use it: a click goes through the engine's click path as a script's does, typing
// changes a field's value in the document as fill does, a drag selects the document's contents.
// Style sheets and images are fetched through the browser's network access while a page is shown.
// A page is read, styled and laid out away from the window's thread, so the window answers while
// it is; a page not laid out within MaxLayoutTime is shown as plain text under a note.
class PageView final : public QAbstractScrollArea {
    Q_OBJECT
public:
    PageView(NetworkAccess &network, const LoadLimits &limits, QWidget *parent = nullptr);
    ~PageView() override;

    // Shows this document from its top (or from the element its address's fragment names); while
    // an element is outlined, once the outline has gone.
    void showDocument(const std::shared_ptr<Document> &document, const QUrl &address);
    // The shown document changed: it is drawn again, laid out again when it must be.
    void documentEdited();
    // Outlines the element for a moment and scrolls it into view, unless a person's own click
    // or typing is acting on it.
    void outlineElement(const dom::Element &element);

    // Lays out whatever is waiting to be (without waiting for resources still on their way), and
    // waits for the layout (within MaxLayoutTime).
    void refreshNow();
    // Nothing is waiting to be laid out or fetched for the shown page: it is drawn as it will stay.
    [[nodiscard]] bool isSettled() const;
    // The shown page has been laid out (with what had arrived then).
    [[nodiscard]] bool isLaidOut() const { return m_layout || !m_model; }
    // The page's layout was given up: it is shown as plain text.
    [[nodiscard]] bool shownAsPlainText() const { return m_plainText; }
    // The resources of the shown page still on their way.
    [[nodiscard]] QStringList unfinishedResources() const;
    // The resources of the shown page skipped, its budget spent.
    [[nodiscard]] QStringList skippedResources() const;
    // Stops the layout on its way and waits until nothing is laid out beside the window: the
    // view is about to go.
    void stopLayouts();
    // The next page shown fetches its style sheets and images again from their servers.
    void reloadResources();
    // Puts the text of the page's selection on the clipboard.
    void copySelection();

    static constexpr int MaxLayoutTime = 5000;
    // Where the element is drawn in the viewport (its first box), or an empty rectangle.
    [[nodiscard]] QRect elementRect(const dom::Element &element) const;

signals:
    // A person's click is about to act on the element.
    void personClicking(dom::Element *element);
    // A person changed the field's value: by typing, or by a choice in a select.
    void personChangedField(const dom::Element *field);
    // A person pressed Enter in the field: its form is about to be submitted.
    void personSubmitting(const dom::Element *field);
    // A new layout of the page is shown.
    void laidOut();
    // The mouse went over a link to this address, or left it (an empty address).
    void linkHovered(const QString &address);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    // What a change asks for, each level doing what the lower ones do: drawing again, placing
    // the boxes again, a new layout if the document's serialisation changed, a new layout.
    enum class Refresh { None, Paint, Layout, Edited, Rebuild };
    struct ShownDocument {
        std::shared_ptr<Document> document;
        QUrl address;
    };

    void showDocument(const ShownDocument &shown);
    // Fetches the style sheets the page links to before its first layout.
    void askForStyleSheets();
    void schedule(Refresh refresh);
    // Starts what a change asks for; a new layout is placed on the worker.
    void startRefresh();
    void rebuild(bool onlyIfChanged);
    void startLayout(dom::DisplayHtml display);
    // Shows the layout the worker finished.
    void takeLayout();
    // The layout took too long: the page is shown as plain text.
    void giveUpLayout();
    void showLayout(std::unique_ptr<PageLayout> layout);
    void updateScrollBars();
    [[nodiscard]] QPoint pagePoint(const QPoint &viewportPoint) const;
    void scrollToShow(const QRect &pageRect);
    void scrollToFragment();

    void clickElement(dom::Element &element, const QPoint &viewportPoint);
    void chooseFromSelect(dom::Element &select, const QPoint &viewportPoint);
    void focusField(dom::Element *field, qsizetype caret);
    // Moves the typing to the next or the previous text field; false on a page without any.
    bool moveFocus(bool forward);
    // Typing into the focused field; false for a key it does not take.
    bool editFocusedField(QKeyEvent *event);
    void setFocusedValue(const QString &value, qsizetype caret);
    void finishSelection();
    void updateCursor(const QPoint &viewportPoint);
    void updateHoveredLink(const QPoint &viewportPoint);

    PageResources *m_resources;
    FieldFocus m_focus;
    std::shared_ptr<dom::DocumentModel> m_model;
    QUrl m_address;
    // The worker is declared after the layout it may be placing, so that it ends first.
    std::unique_ptr<PageLayout> m_layout;
    LayoutWorker m_worker;
    // What the last layout started lays out.
    dom::DisplayHtml m_latestDisplay;
    bool m_plainText = false;
    QTimer m_layoutBound;
    LayoutPacing m_pacing;
    Refresh m_pending = Refresh::None;
    QTimer m_refreshTimer;
    bool m_scrollToFragment = false;

    // A person's own click or typing is acting on the page: it is not outlined.
    bool m_personActing = false;
    const dom::Element *m_outlined = nullptr;
    bool m_scrollToOutline = false;
    QTimer m_outlineTimer;
    std::optional<ShownDocument> m_waitingDocument;

    QString m_hoveredLink;
    QPoint m_pressPoint;
    bool m_pressed = false;
    bool m_dragging = false;
    std::optional<size_t> m_dragFrom;
    std::optional<size_t> m_dragTo;
};
