#include "browser/builtin/view/FormControlPainting.h"

#include "browser/builtin/dom/FormControls.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>

namespace {

constexpr int CheckSize = 13;
constexpr int DefaultTextSize = 20;
constexpr int DefaultTextAreaColumns = 20;
constexpr int DefaultTextAreaRows = 2;
constexpr int DefaultListBoxRows = 4;
constexpr int SelectArrowWidth = 16;
const QColor DisabledText(0x6d, 0x6d, 0x6d);
const QColor PlaceholderText(0x75, 0x75, 0x75);
const QColor Accent(0x00, 0x75, 0xff);
const QColor ControlBorder(0x76, 0x76, 0x76);
const QColor Selected(0xce, 0xdf, 0xf8);

[[nodiscard]] int attributeNumber(const dom::Element &control, QStringView name, int fallback)
{
    bool ok = false;
    const int number = control.attributeOrEmpty(name).trimmed().toInt(&ok);
    return ok && number > 0 ? std::min(number, 1000) : fallback;
}

[[nodiscard]] QString buttonCaption(const dom::Element &control)
{
    const QString type = dom::inputType(control);
    if (type == QLatin1StringView("file"))
        return QStringLiteral("Browse...");
    if (const QString *value = control.attribute(u"value"))
        return *value;
    if (type == QLatin1StringView("submit"))
        return QStringLiteral("Submit");
    if (type == QLatin1StringView("reset"))
        return QStringLiteral("Reset");
    return {};
}

// The text a text field shows: its value, or dots for a password.
[[nodiscard]] QString shownValue(const dom::Element &control, ControlKind kind)
{
    // The text layout breaks lines at line separators, which take one place as a newline does.
    if (kind == ControlKind::TextArea)
        return dom::textAreaValue(control).replace(u'\n', QChar::LineSeparator);
    const QString value = dom::inputValue(control);
    if (dom::inputType(control) == QLatin1StringView("password"))
        return QString(value.size(), QChar(0x2022));
    return value;
}

[[nodiscard]] QString chosenOptionText(const dom::Element &select)
{
    for (const dom::Element *option : dom::selectOptions(select))
        if (dom::selectedness(*option))
            return dom::optionText(*option);
    return {};
}

[[nodiscard]] int widestOption(const dom::Element &select, const QFontMetrics &metrics)
{
    int widest = 0;
    for (const dom::Element *option : dom::selectOptions(select))
        widest = std::max(widest, metrics.horizontalAdvance(dom::optionText(*option)));
    return widest;
}

[[nodiscard]] int listBoxRows(const dom::Element &select)
{
    return attributeNumber(select, u"size", DefaultListBoxRows);
}

// The text field's text laid out in its box, wrapped for a textarea, on one line otherwise.
void layOutFieldText(QTextLayout &layout, ControlKind kind, int width)
{
    QTextOption option;
    option.setWrapMode(kind == ControlKind::TextArea ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(kind == ControlKind::TextArea ? width : 1e6);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
}

// How far the text is moved so that the caret stays inside the box: left for a field, up for a
// textarea.
[[nodiscard]] QPointF scrollForCaret(const QTextLayout &layout, ControlKind kind, const QRect &content,
                                     std::optional<qsizetype> caret)
{
    if (!caret || layout.lineCount() == 0)
        return {};
    const QTextLine line = layout.lineForTextPosition(int(*caret));
    if (!line.isValid())
        return {};
    if (kind == ControlKind::TextArea)
        return {0, std::min(0.0, content.height() - line.y() - line.height())};
    return {std::min(0.0, content.width() - 2 - line.cursorToX(int(*caret))), 0};
}

void paintTextEntry(QPainter &painter, const QRect &content, const dom::Element &control, ControlKind kind,
                    const ControlLook &look)
{
    QString text = shownValue(control, kind);
    const bool placeholder = text.isEmpty() && !look.caret;
    if (placeholder)
        text = control.attributeOrEmpty(u"placeholder");
    QTextLayout layout(text, look.font);
    layOutFieldText(layout, kind, content.width());
    const QPointF scroll = scrollForCaret(layout, kind, content, look.caret);
    const qreal lineHeight = layout.lineCount() > 0 ? layout.lineAt(0).height() : QFontMetrics(look.font).height();
    const qreal top = kind == ControlKind::TextArea ? content.top() : content.top() + (content.height() - lineHeight) / 2;
    const QPointF origin = QPointF(content.left(), top) + scroll;
    painter.save();
    painter.setClipRect(content, Qt::IntersectClip);
    painter.setPen(placeholder ? PlaceholderText : dom::isDisabled(control) ? DisabledText : look.color);
    layout.draw(&painter, origin);
    if (look.caret)
        layout.drawCursor(&painter, origin, int(std::min<qsizetype>(*look.caret, text.size())), 1);
    painter.restore();
}

void paintCheck(QPainter &painter, const QRect &content, const dom::Element &control, ControlKind kind)
{
    const bool checked = dom::checkedness(control);
    const QRectF box = QRectF(content.left(), content.top() + (content.height() - CheckSize) / 2.0, CheckSize, CheckSize)
                           .adjusted(0.5, 0.5, -0.5, -0.5);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour = dom::isDisabled(control) ? DisabledText : checked ? Accent : ControlBorder;
    painter.setPen(QPen(colour, 1));
    if (kind == ControlKind::Radio) {
        painter.setBrush(Qt::white);
        painter.drawEllipse(box);
        if (checked) {
            painter.setBrush(colour);
            painter.setPen(Qt::NoPen);
            painter.drawEllipse(box.center(), 3.5, 3.5);
        }
    } else {
        painter.setBrush(checked ? colour : QColor(Qt::white));
        painter.drawRoundedRect(box, 2, 2);
        if (checked) {
            painter.setPen(QPen(Qt::white, 2));
            const QPointF corner = box.topLeft();
            painter.drawPolyline(QPolygonF{corner + QPointF(3, 6.5), corner + QPointF(5.5, 9), corner + QPointF(10, 3.5)});
        }
    }
    painter.restore();
}

void paintCaption(QPainter &painter, const QRect &content, const QString &caption, const dom::Element &control,
                  const ControlLook &look, Qt::Alignment alignment)
{
    painter.save();
    painter.setFont(look.font);
    painter.setPen(dom::isDisabled(control) ? DisabledText : look.color);
    painter.drawText(content, int(alignment | Qt::AlignVCenter | Qt::TextSingleLine), caption);
    painter.restore();
}

void paintSelect(QPainter &painter, const QRect &content, const dom::Element &control, const ControlLook &look)
{
    paintCaption(painter, content.adjusted(0, 0, -SelectArrowWidth, 0), chosenOptionText(control), control, look,
                 Qt::AlignLeft);
    const QPointF tip(content.right() - SelectArrowWidth / 2.0, content.center().y() + 2.5);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(dom::isDisabled(control) ? DisabledText : look.color);
    painter.drawPolygon(QPolygonF{tip + QPointF(-4, -5), tip + QPointF(4, -5), tip});
    painter.restore();
}

void paintListBox(QPainter &painter, const QRect &content, const dom::Element &control, const ControlLook &look)
{
    const int rowHeight = QFontMetrics(look.font).height();
    int top = content.top();
    painter.save();
    painter.setClipRect(content, Qt::IntersectClip);
    painter.setFont(look.font);
    for (const dom::Element *option : dom::selectOptions(control)) {
        const QRect row(content.left(), top, content.width(), rowHeight);
        if (dom::selectedness(*option))
            painter.fillRect(row, Selected);
        painter.setPen(dom::isDisabled(*option) ? DisabledText : look.color);
        painter.drawText(row, int(Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine), dom::optionText(*option));
        top += rowHeight;
        if (top > content.bottom())
            break;
    }
    painter.restore();
}

} // namespace

ControlKind controlKind(const dom::Element &control)
{
    if (control.is(QLatin1StringView("select")))
        return control.hasAttribute(u"multiple") || attributeNumber(control, u"size", 1) > 1 ? ControlKind::ListBox
                                                                                            : ControlKind::Select;
    if (control.is(QLatin1StringView("textarea")))
        return ControlKind::TextArea;
    const QString type = dom::inputType(control);
    if (type == QLatin1StringView("hidden"))
        return ControlKind::Hidden;
    if (type == QLatin1StringView("checkbox"))
        return ControlKind::Check;
    if (type == QLatin1StringView("radio"))
        return ControlKind::Radio;
    if (type == QLatin1StringView("image"))
        return ControlKind::Image;
    for (const char *button : {"submit", "reset", "button", "file", "color", "range"})
        if (type == QLatin1StringView(button))
            return ControlKind::Button;
    return ControlKind::Text;
}

const char *controlKindName(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Check:
    case ControlKind::Radio: return "check";
    case ControlKind::Button: return "button";
    case ControlKind::Image: return "image";
    case ControlKind::Hidden: return "hidden";
    case ControlKind::Select:
    case ControlKind::ListBox: return "select";
    case ControlKind::Text:
    case ControlKind::TextArea: break;
    }
    return "text";
}

bool isTextEntry(ControlKind kind)
{
    return kind == ControlKind::Text || kind == ControlKind::TextArea;
}

QSize intrinsicControlSize(const dom::Element &control, ControlKind kind, const ControlLook &look)
{
    const QFontMetrics metrics(look.font);
    switch (kind) {
    case ControlKind::Text: return {attributeNumber(control, u"size", DefaultTextSize) * metrics.averageCharWidth(), metrics.height()};
    case ControlKind::Check:
    case ControlKind::Radio: return {CheckSize, CheckSize};
    case ControlKind::Button: return {metrics.horizontalAdvance(buttonCaption(control)), metrics.height()};
    case ControlKind::Image:
        if (look.image)
            return look.image->size();
        return {metrics.horizontalAdvance(control.attributeOrEmpty(u"alt")), metrics.height()};
    case ControlKind::Hidden: return {};
    case ControlKind::Select: return {widestOption(control, metrics) + SelectArrowWidth, metrics.height()};
    case ControlKind::ListBox: return {widestOption(control, metrics) + 4, listBoxRows(control) * metrics.height()};
    case ControlKind::TextArea:
        return {attributeNumber(control, u"cols", DefaultTextAreaColumns) * metrics.averageCharWidth(),
                attributeNumber(control, u"rows", DefaultTextAreaRows) * metrics.lineSpacing()};
    }
    return {};
}

void paintControl(QPainter &painter, const QRect &content, const dom::Element &control, ControlKind kind,
                  const ControlLook &look)
{
    switch (kind) {
    case ControlKind::Text:
    case ControlKind::TextArea: paintTextEntry(painter, content, control, kind, look); return;
    case ControlKind::Check:
    case ControlKind::Radio: paintCheck(painter, content, control, kind); return;
    case ControlKind::Button: paintCaption(painter, content, buttonCaption(control), control, look, Qt::AlignHCenter); return;
    case ControlKind::Image:
        if (look.image)
            painter.drawImage(content, *look.image);
        else
            paintCaption(painter, content, control.attributeOrEmpty(u"alt"), control, look, Qt::AlignLeft);
        return;
    case ControlKind::Select: paintSelect(painter, content, control, look); return;
    case ControlKind::ListBox: paintListBox(painter, content, control, look); return;
    case ControlKind::Hidden: return;
    }
}

qsizetype caretAt(const dom::Element &control, ControlKind kind, const ControlLook &look, const QRect &content,
                  const QPoint &point)
{
    const QString text = shownValue(control, kind);
    QTextLayout layout(text, look.font);
    layOutFieldText(layout, kind, content.width());
    const QPointF scroll = scrollForCaret(layout, kind, content, look.caret);
    const QPointF inside = QPointF(point - content.topLeft()) - scroll;
    for (int index = 0; index < layout.lineCount(); ++index) {
        const QTextLine line = layout.lineAt(index);
        if (inside.y() < line.y() + line.height() || index + 1 == layout.lineCount())
            return line.xToCursor(inside.x());
    }
    return text.size();
}
