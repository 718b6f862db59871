#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QSize>

#include <optional>

class QImage;
class QPainter;

namespace dom {
class Element;
}

// How a form control is drawn: what its type makes of it.
enum class ControlKind { Text, Check, Radio, Button, Image, Hidden, Select, ListBox, TextArea };

[[nodiscard]] ControlKind controlKind(const dom::Element &control);
// The kind's name in the user agent style sheet.
[[nodiscard]] const char *controlKindName(ControlKind kind);
// Whether a person types into the control.
[[nodiscard]] bool isTextEntry(ControlKind kind);

// What a control is drawn with besides its element's state.
struct ControlLook {
    QFont font;
    QColor color;
    const QImage *image = nullptr;       // an image button's picture, once it has arrived
    std::optional<qsizetype> caret;      // where the caret stands, in a focused text field
};

// The size of the control's content box when the page sets none: its value's or caption's
// width, the columns and rows of text fields, the options of a select.
[[nodiscard]] QSize intrinsicControlSize(const dom::Element &control, ControlKind kind, const ControlLook &look);

// Draws the control's current state from the engine's element into its content box: the value
// (dots for a password), the check mark, the caption, the chosen option.
void paintControl(QPainter &painter, const QRect &content, const dom::Element &control, ControlKind kind,
                  const ControlLook &look);

// The position in a text field's value that a click at the point puts the caret at.
[[nodiscard]] qsizetype caretAt(const dom::Element &control, ControlKind kind, const ControlLook &look,
                                const QRect &content, const QPoint &point);
