#include "browser/builtin/view/FieldTyping.h"

#include <QKeyEvent>

#include <algorithm>

namespace {

[[nodiscard]] FieldKeyOutcome edited(QString value, qsizetype caret)
{
    return {FieldKeyOutcome::Kind::Edited, std::move(value), caret};
}

[[nodiscard]] FieldKeyOutcome moved(const QString &value, qsizetype caret)
{
    return {FieldKeyOutcome::Kind::Moved, value, std::clamp<qsizetype>(caret, 0, value.size())};
}

// Typed text without control characters, cut to the room the field has left.
[[nodiscard]] QString typedText(const QKeyEvent &key, qsizetype length, int maxLength)
{
    QString typed = key.text();
    typed.removeIf([](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
    if (maxLength >= 0)
        typed.truncate(std::max<qsizetype>(0, maxLength - length));
    return typed;
}

} // namespace

FieldKeyOutcome typeInField(const QKeyEvent &key, const QString &value, qsizetype caret, bool multiLine, int maxLength)
{
    caret = std::clamp<qsizetype>(caret, 0, value.size());
    switch (key.key()) {
    case Qt::Key_Escape: return {FieldKeyOutcome::Kind::Leave, value, caret};
    case Qt::Key_Left: return moved(value, caret - 1);
    case Qt::Key_Right: return moved(value, caret + 1);
    case Qt::Key_Home: return moved(value, 0);
    case Qt::Key_End: return moved(value, value.size());
    case Qt::Key_Backspace: return caret > 0 ? edited(value.left(caret - 1) + value.mid(caret), caret - 1) : moved(value, caret);
    case Qt::Key_Delete: return caret < value.size() ? edited(value.left(caret) + value.mid(caret + 1), caret) : moved(value, caret);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!multiLine)
            return {FieldKeyOutcome::Kind::Submit, value, caret};
        return edited(value.left(caret) + u'\n' + value.mid(caret), caret + 1);
    default: break;
    }
    if (key.text().isEmpty() || (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return {};
    const QString typed = typedText(key, value.size(), maxLength);
    if (typed.isEmpty())
        return moved(value, caret);
    return edited(value.left(caret) + typed + value.mid(caret), caret + typed.size());
}
