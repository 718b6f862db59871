#include "browser/builtin/view/PageView.h"

#include "browser/builtin/dom/Activation.h"
#include "browser/builtin/dom/DocumentModel.h"
#include "browser/builtin/dom/Editing.h"
#include "browser/builtin/dom/ElementHandle.h"
#include "browser/builtin/dom/ElementProperties.h"
#include "browser/builtin/dom/FormControls.h"
#include "browser/builtin/dom/HtmlDocument.h"
#include "browser/builtin/dom/InnerText.h"
#include "browser/builtin/dom/TreeWalk.h"
#include "browser/builtin/view/ControlElement.h"
#include "browser/builtin/view/FieldTyping.h"
#include "browser/builtin/view/PageLayout.h"
#include "browser/builtin/view/PageResources.h"
#include "browser/builtin/view/PlainTextPage.h"
#include "browser/builtin/view/SelectPopup.h"
#include "engine/ScriptError.h"

#include <QApplication>
#include <QClipboard>
#include <QDebug>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {

// litehtml styles an element in some tens of microseconds, and looks up inherited styles
// through every ancestor: a page with more elements is shown cut, and elements nested deeper
// are shown as their contents, as a window frozen for many seconds would be worse.
constexpr dom::DisplayBounds ShownBounds{30'000, 128};
// How long the element a script acts on stays outlined.
constexpr int OutlineMilliseconds = 500;
constexpr int ScrollStep = 40;
const QColor OutlineColour(0xff, 0x8c, 0x00);
const QColor FocusColour(0x00, 0x75, 0xff);
const QColor SelectionColour(0x33, 0x8f, 0xff, 0x60);

[[nodiscard]] QRect united(const std::vector<QRect> &boxes)
{
    QRect all;
    for (const QRect &box : boxes)
        all |= box;
    return all;
}

[[nodiscard]] bool isStyleSheetLink(const dom::Element &element)
{
    if (!element.is(QLatin1StringView("link")))
        return false;
    const QStringList rel = element.attributeOrEmpty(u"rel").toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return rel.contains(QLatin1StringView("stylesheet")) && !rel.contains(QLatin1StringView("alternate"));
}

// The text of what the page's selection holds.
[[nodiscard]] QString selectedText(dom::DocumentModel &model)
{
    const dom::Selection &selection = model.selection();
    if (selection.isEmpty())
        return {};
    QString text;
    const auto &children = selection.container->children();
    for (size_t index = selection.start; index < std::min(selection.end, children.size()); ++index) {
        const dom::Node &node = *children[index];
        if (node.type() == dom::NodeType::Text)
            text += static_cast<const dom::Text &>(node).data();
        else if (const dom::Element *element = node.asElement())
            text += dom::innerText(*element);
    }
    return text;
}

// A line's value in a field, as the field takes it when a person types it.
[[nodiscard]] QString fieldValue(const dom::Element &field)
{
    return dom::valueProperty(field).value_or(QString());
}

[[nodiscard]] int maxLength(const dom::Element &field)
{
    bool ok = false;
    const int length = field.attributeOrEmpty(u"maxlength").trimmed().toInt(&ok);
    return ok && length >= 0 ? length : -1;
}

} // namespace

PageView::PageView(NetworkAccess &network, const LoadLimits &limits, QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_resources(new PageResources(network, limits, this))
    , m_worker(*this, [this] { takeLayout(); })
{
    setObjectName(QStringLiteral("page"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(0);
    connect(&m_refreshTimer, &QTimer::timeout, this, &PageView::startRefresh);
    m_layoutBound.setSingleShot(true);
    m_layoutBound.setInterval(MaxLayoutTime);
    connect(&m_layoutBound, &QTimer::timeout, this, &PageView::giveUpLayout);
    m_outlineTimer.setSingleShot(true);
    m_outlineTimer.setInterval(OutlineMilliseconds);
    connect(&m_outlineTimer, &QTimer::timeout, this, [this] {
        m_outlined = nullptr;
        viewport()->update();
        if (m_waitingDocument)
            showDocument(*std::exchange(m_waitingDocument, std::nullopt));
    });
    connect(m_resources, &PageResources::resourceFinished, this, [this] {
        m_pacing.resourceFinished(m_resources->styleSheetsUnfinished(), !m_resources->unfinished().isEmpty());
    });
    connect(&m_pacing, &LayoutPacing::layoutDue, this, [this] { schedule(Refresh::Rebuild); });
}

PageView::~PageView() = default;

void PageView::showDocument(const std::shared_ptr<Document> &document, const QUrl &address)
{
    // The page a clicked link or button leads to waits until the outline has been seen.
    if (m_outlined) {
        m_waitingDocument = ShownDocument{document, address};
        return;
    }
    showDocument({document, address});
}

void PageView::showDocument(const ShownDocument &shown)
{
    const auto &[document, address] = shown;
    m_model = document ? documentModel(*document) : nullptr;
    m_address = address;
    m_worker.cancel();
    m_layoutBound.stop();
    m_worker.dispose(std::move(m_layout));
    m_latestDisplay = {};
    m_plainText = false;
    m_focus = {};
    m_outlined = nullptr;
    m_scrollToOutline = false;
    m_pressed = m_dragging = false;
    m_dragFrom.reset();
    m_dragTo.reset();
    m_scrollToFragment = true;
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    if (m_model) {
        m_resources->startPage(m_model->baseUrl(), m_model->encoding());
        askForStyleSheets();
    }
    m_pacing.startPage(m_model && m_resources->styleSheetsUnfinished());
}

void PageView::askForStyleSheets()
{
    dom::forEachElement(m_model->tree(), [this](const dom::Element &element) {
        if (isStyleSheetLink(element))
            (void)m_resources->styleSheet(m_model->baseUrl().resolved(QUrl(element.attributeOrEmpty(u"href").trimmed())));
        return dom::Walk::Continue;
    });
}

void PageView::documentEdited()
{
    schedule(Refresh::Edited);
}

void PageView::outlineElement(const dom::Element &element)
{
    if (m_personActing)
        return;
    // A line acting on a page that waits to be shown acts on that page: it is shown at once.
    if (m_waitingDocument) {
        m_outlined = nullptr;
        showDocument(*std::exchange(m_waitingDocument, std::nullopt));
    }
    m_outlined = &element;
    m_scrollToOutline = true;
    m_outlineTimer.start();
    schedule(Refresh::Paint);
}

void PageView::schedule(Refresh refresh)
{
    m_pending = std::max(m_pending, refresh);
    if (!m_refreshTimer.isActive())
        m_refreshTimer.start();
}

void PageView::refreshNow()
{
    m_pacing.layOutNow();
    startRefresh();
    // The page's own layout, then its plain text, each within its bound.
    while (m_worker.busy()) {
        const int remaining = m_layoutBound.isActive() ? m_layoutBound.remainingTime() : MaxLayoutTime;
        if (m_worker.wait(QDeadlineTimer(remaining)))
            takeLayout();
        else
            giveUpLayout();
    }
}

bool PageView::isSettled() const
{
    return isLaidOut() && !m_worker.busy() && m_pending == Refresh::None && !m_refreshTimer.isActive()
        && !m_pacing.waiting() && m_resources->unfinished().isEmpty();
}

QStringList PageView::unfinishedResources() const
{
    return m_resources->unfinished();
}

QStringList PageView::skippedResources() const
{
    return m_resources->skipped();
}

void PageView::stopLayouts()
{
    m_refreshTimer.stop();
    m_pending = Refresh::None;
    m_layoutBound.stop();
    m_worker.settle();
}

void PageView::reloadResources()
{
    m_resources->reloadNextPage();
}

void PageView::copySelection()
{
    if (m_model && !m_model->selection().isEmpty())
        QApplication::clipboard()->setText(selectedText(*m_model));
}

void PageView::startRefresh()
{
    const Refresh pending = std::exchange(m_pending, Refresh::None);
    m_refreshTimer.stop();
    if (pending >= Refresh::Edited)
        rebuild(pending == Refresh::Edited);
    else if (pending == Refresh::Layout && !m_latestDisplay.html.isEmpty())
        startLayout(m_latestDisplay);
    if (m_scrollToOutline && m_layout && m_outlined && !m_worker.busy()) {
        m_scrollToOutline = false;
        scrollToShow(united(m_layout->boxesOf(*m_outlined)));
    }
    viewport()->update();
}

void PageView::rebuild(bool onlyIfChanged)
{
    if (!m_model) {
        m_worker.cancel();
        m_worker.dispose(std::move(m_layout));
        return;
    }
    // A page shown as plain text stays so: its own layout was given up.
    if (m_plainText)
        return;
    dom::DisplayHtml display = dom::serializeForDisplay(m_model->tree(), ShownBounds);
    m_resources->setPageBytes(display.html.size() * qint64(sizeof(QChar)));
    if (onlyIfChanged && m_latestDisplay.html == display.html) {
        // The same boxes show the document; its nodes may have moved under them.
        if (m_layout && !m_worker.busy())
            m_layout->mapNodes();
        return;
    }
    startLayout(std::move(display));
}

void PageView::startLayout(dom::DisplayHtml display)
{
    m_latestDisplay = display;
    m_worker.start(std::make_unique<PageLayout>(m_model, std::move(display), *m_resources, m_focus, viewport()->size()));
    // A layout started again before the last one finished keeps the last one's time.
    if (!m_layoutBound.isActive())
        m_layoutBound.start();
}

void PageView::takeLayout()
{
    if (std::unique_ptr<PageLayout> layout = m_worker.take())
        showLayout(std::move(layout));
}

void PageView::giveUpLayout()
{
    m_worker.cancel();
    m_layoutBound.stop();
    if (!m_model)
        return;
    // The page's text is laid out beside the window too; should even that take too long, a note
    // is shown alone.
    if (!std::exchange(m_plainText, true)) {
        startLayout(plainTextDisplay(tr("This page took too long to lay out: it is shown as plain text."), pageText(*m_model)));
        return;
    }
    m_latestDisplay = plainTextDisplay(tr("This page took too long to lay out, and so did its text."), QString());
    auto layout = std::make_unique<PageLayout>(m_model, m_latestDisplay, *m_resources, m_focus, viewport()->size());
    layout->read();
    layout->prepare();
    layout->layOut();
    showLayout(std::move(layout));
}

void PageView::showLayout(std::unique_ptr<PageLayout> layout)
{
    m_layoutBound.stop();
    m_dragFrom.reset();
    m_dragTo.reset();
    m_worker.dispose(std::exchange(m_layout, std::move(layout)));
    updateScrollBars();
    if (m_scrollToFragment) {
        m_scrollToFragment = false;
        scrollToFragment();
    }
    if (m_scrollToOutline && m_outlined) {
        m_scrollToOutline = false;
        scrollToShow(united(m_layout->boxesOf(*m_outlined)));
    }
    viewport()->update();
    emit laidOut();
}

void PageView::updateScrollBars()
{
    const QSize page = m_layout ? m_layout->size() : QSize();
    horizontalScrollBar()->setRange(0, std::max(0, page.width() - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(ScrollStep);
    verticalScrollBar()->setRange(0, std::max(0, page.height() - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(ScrollStep);
}

QPoint PageView::pagePoint(const QPoint &viewportPoint) const
{
    return viewportPoint + QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

QRect PageView::elementRect(const dom::Element &element) const
{
    if (!m_layout)
        return {};
    const std::vector<QRect> boxes = m_layout->boxesOf(element);
    if (boxes.empty())
        return {};
    return boxes.front().translated(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
}

void PageView::scrollToShow(const QRect &pageRect)
{
    if (pageRect.isEmpty())
        return;
    const QRect visible(pagePoint(QPoint(0, 0)), viewport()->size());
    if (visible.contains(pageRect))
        return;
    if (pageRect.top() < visible.top() || pageRect.bottom() > visible.bottom())
        verticalScrollBar()->setValue(pageRect.top() - std::max(0, (visible.height() - pageRect.height()) / 2));
    if (pageRect.left() < visible.left() || pageRect.right() > visible.right())
        horizontalScrollBar()->setValue(pageRect.left() - ScrollStep);
}

void PageView::scrollToFragment()
{
    const QString fragment = m_address.fragment(QUrl::FullyDecoded);
    if (fragment.isEmpty() || !m_model)
        return;
    dom::Element *target = dom::elementById(m_model->tree(), fragment);
    if (!target)
        return;
    const QRect box = united(m_layout->boxesOf(*target));
    if (!box.isEmpty())
        verticalScrollBar()->setValue(box.top());
}

void PageView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    painter.fillRect(event->rect(), Qt::white);
    if (!m_layout)
        return;
    const QPoint scroll = pagePoint(QPoint(0, 0));
    painter.translate(-scroll);
    const QRect clip = event->rect().translated(scroll);
    m_layout->paint(painter, clip);
    const std::vector<QRect> selection = m_dragging && m_dragFrom && m_dragTo
        ? m_layout->leafBoxes(*m_dragFrom, *m_dragTo)
        : m_layout->selectionBoxes();
    for (const QRect &box : selection)
        painter.fillRect(box, SelectionColour);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    if (m_focus.element && hasFocus()) {
        painter.setPen(QPen(FocusColour, 2));
        for (const QRect &box : m_layout->boxesOf(*m_focus.element))
            painter.drawRoundedRect(QRectF(box).adjusted(-1, -1, 1, 1), 2, 2);
    }
    if (m_outlined) {
        painter.setPen(QPen(OutlineColour, 3));
        for (const QRect &box : m_layout->boxesOf(*m_outlined))
            painter.drawRoundedRect(QRectF(box).adjusted(-3, -3, 3, 3), 3, 3);
    }
}

void PageView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    schedule(Refresh::Layout);
}

void PageView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void PageView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_layout)
        return;
    m_pressPoint = event->position().toPoint();
    m_pressed = true;
    m_dragging = false;
    const QPoint point = pagePoint(m_pressPoint);
    dom::Element *element = m_layout->elementAt(point, m_pressPoint);
    ControlElement *control = element ? m_layout->controlOf(*element) : nullptr;
    if (control && isTextEntry(control->kind()) && !dom::isDisabled(*element)) {
        m_pressed = false;
        focusField(element, caretAt(*element, control->kind(), control->look(), control->contentBox(), point));
        return;
    }
    focusField(nullptr, 0);
    m_dragFrom = m_layout->leafNear(point);
    m_dragTo = m_dragFrom;
}

void PageView::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint position = event->position().toPoint();
    if (!m_pressed) {
        updateCursor(position);
        return;
    }
    if (!m_dragging && (position - m_pressPoint).manhattanLength() < QApplication::startDragDistance())
        return;
    m_dragging = true;
    if (m_layout)
        m_dragTo = m_layout->leafNear(pagePoint(position));
    viewport()->update();
}

void PageView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_pressed || !m_layout)
        return;
    m_pressed = false;
    if (m_dragging) {
        m_dragging = false;
        finishSelection();
        return;
    }
    const QPoint position = event->position().toPoint();
    if (!m_model->selection().isEmpty()) {
        dom::clearSelection(*m_model);
        viewport()->update();
    }
    if (dom::Element *element = m_layout->elementAt(pagePoint(position), position))
        clickElement(*element, position);
}

void PageView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_layout || !m_model)
        return;
    // The word under the mouse becomes the selection, as in a browser.
    m_pressed = false;
    const std::optional<size_t> word = m_layout->leafNear(pagePoint(event->position().toPoint()));
    if (!word)
        return;
    dom::selectBetween(*m_model, m_layout->selectionPoint(*word, false), m_layout->selectionPoint(*word, true));
    m_layout->mapNodes();
    viewport()->update();
}

void PageView::finishSelection()
{
    if (!m_model || !m_dragFrom || !m_dragTo)
        return;
    const bool forward = *m_dragFrom <= *m_dragTo;
    dom::selectBetween(*m_model, m_layout->selectionPoint(*m_dragFrom, !forward),
                       m_layout->selectionPoint(*m_dragTo, forward));
    m_layout->mapNodes();
    viewport()->update();
}

void PageView::clickElement(dom::Element &element, const QPoint &viewportPoint)
{
    ControlElement *control = m_layout->controlOf(element);
    const QPointer<PageView> alive(this);
    m_personActing = true;
    try {
        if (control && control->kind() == ControlKind::Select && !dom::isDisabled(element)) {
            chooseFromSelect(element, viewportPoint);
        } else if (control && control->kind() == ControlKind::ListBox && !dom::isDisabled(element)) {
            const QRect box = control->contentBox();
            const int row = (pagePoint(viewportPoint).y() - box.top()) / std::max(1, QFontMetrics(control->look().font).height());
            const std::vector<dom::Element *> options = dom::selectOptions(element);
            if (row >= 0 && size_t(row) < options.size()) {
                dom::chooseOption(element, *options[size_t(row)]);
                m_model->notifyEdited();
                emit personChangedField(&element);
            }
        } else {
            emit personClicking(&element);
            dom::ElementHandle(m_model, element).click();
        }
    } catch (const ScriptError &error) {
        qWarning() << "The click on the page failed:" << error.what();
    }
    if (alive)
        m_personActing = false;
}

void PageView::chooseFromSelect(dom::Element &select, const QPoint &viewportPoint)
{
    const QRect box = elementRect(select);
    const QRect globalBox(viewport()->mapToGlobal(box.isEmpty() ? viewportPoint : box.topLeft()),
                          box.isEmpty() ? QSize(1, 1) : box.size());
    const QPointer<PageView> alive(this);
    const std::shared_ptr<dom::DocumentModel> model = m_model;
    const std::optional<dom::Element *> chosen = choosePopupOption(this, globalBox, dom::selectOptions(select));
    if (!chosen || !alive || model != m_model)
        return;
    dom::chooseOption(select, **chosen);
    m_model->notifyEdited();
    emit personChangedField(&select);
}

void PageView::focusField(dom::Element *field, qsizetype caret)
{
    m_focus = {field, caret};
    viewport()->update();
}

bool PageView::moveFocus(bool forward)
{
    if (!m_layout)
        return false;
    std::vector<ControlElement *> fields;
    for (ControlElement *control : m_layout->controls())
        if (isTextEntry(control->kind()) && !dom::isDisabled(control->control()) && control->is_visible())
            fields.push_back(control);
    if (fields.empty())
        return false;
    auto current = std::find_if(fields.begin(), fields.end(),
                                [this](const ControlElement *control) { return &control->control() == m_focus.element; });
    size_t next = 0;
    if (current != fields.end())
        next = (size_t(current - fields.begin()) + (forward ? 1 : fields.size() - 1)) % fields.size();
    else if (!forward)
        next = fields.size() - 1;
    dom::Element &field = fields[next]->control();
    focusField(&field, fieldValue(field).size());
    scrollToShow(united(m_layout->boxesOf(field)));
    return true;
}

void PageView::keyPressEvent(QKeyEvent *event)
{
    if (m_focus.element && editFocusedField(event))
        return;
    if (event->matches(QKeySequence::Copy)) {
        copySelection();
        return;
    }
    QScrollBar *vertical = verticalScrollBar();
    switch (event->key()) {
    case Qt::Key_Down: vertical->setValue(vertical->value() + ScrollStep); break;
    case Qt::Key_Up: vertical->setValue(vertical->value() - ScrollStep); break;
    case Qt::Key_PageDown:
    case Qt::Key_Space: vertical->setValue(vertical->value() + vertical->pageStep()); break;
    case Qt::Key_PageUp: vertical->setValue(vertical->value() - vertical->pageStep()); break;
    case Qt::Key_Home: vertical->setValue(0); break;
    case Qt::Key_End: vertical->setValue(vertical->maximum()); break;
    default: QAbstractScrollArea::keyPressEvent(event); break;
    }
}

bool PageView::editFocusedField(QKeyEvent *event)
{
    dom::Element &field = *m_focus.element;
    const FieldKeyOutcome outcome = typeInField(*event, fieldValue(field), m_focus.caret,
                                                field.is(QLatin1StringView("textarea")), maxLength(field));
    switch (outcome.kind) {
    case FieldKeyOutcome::Kind::Ignored: return false;
    case FieldKeyOutcome::Kind::Edited: setFocusedValue(outcome.value, outcome.caret); break;
    case FieldKeyOutcome::Kind::Moved: focusField(&field, outcome.caret); break;
    case FieldKeyOutcome::Kind::Leave: focusField(nullptr, 0); break;
    case FieldKeyOutcome::Kind::Submit: {
        m_personActing = true;
        const QPointer<PageView> alive(this);
        try {
            emit personSubmitting(&field);
            dom::submitImplicitly(field, *m_model);
        } catch (const ScriptError &error) {
            qWarning() << "Submitting the form failed:" << error.what();
        }
        if (alive)
            m_personActing = false;
        break;
    }
    }
    return true;
}

void PageView::setFocusedValue(const QString &value, qsizetype caret)
{
    dom::Element &field = *m_focus.element;
    m_personActing = true;
    if (dom::setValueProperty(field, value, *m_model)) {
        m_model->notifyEdited();
        emit personChangedField(&field);
    }
    m_personActing = false;
    focusField(&field, std::min(caret, fieldValue(field).size()));
}

void PageView::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

bool PageView::focusNextPrevChild(bool next)
{
    // Tab goes from field to field of the page, as in a browser.
    if (!moveFocus(next))
        return QAbstractScrollArea::focusNextPrevChild(next);
    return true;
}

void PageView::updateCursor(const QPoint &viewportPoint)
{
    if (!m_layout)
        return;
    if (m_layout->hover(pagePoint(viewportPoint), viewportPoint))
        viewport()->update();
    updateHoveredLink(viewportPoint);
    const QString &cursor = m_layout->cursor();
    if (cursor == QLatin1StringView("pointer"))
        viewport()->setCursor(Qt::PointingHandCursor);
    else if (cursor == QLatin1StringView("text"))
        viewport()->setCursor(Qt::IBeamCursor);
    else
        viewport()->unsetCursor();
}

void PageView::updateHoveredLink(const QPoint &viewportPoint)
{
    QString address;
    for (const dom::Element *element = m_layout->elementAt(pagePoint(viewportPoint), viewportPoint); element;
         element = element->parentElement()) {
        if (element->is(QLatin1StringView("a")) && element->hasAttribute(u"href")) {
            address = m_model->baseUrl().resolved(QUrl(element->attributeOrEmpty(u"href").trimmed())).toString();
            break;
        }
    }
    if (address != m_hoveredLink) {
        m_hoveredLink = address;
        emit linkHovered(address);
    }
}
