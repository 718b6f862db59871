#pragma once

#include "browser/builtin/dom/DocumentModel.h"

#include <QString>
#include <QVariant>

#include <optional>

namespace dom {

// The editing commands of a page's selection: "SelectAll" selects the body's contents;
// "FontName" and "FontSize" put the selected contents in a <font> element with that face or
// size (a selection that already is one font element's contents changes that element).
// Without a selection, and for any other command, nothing changes.
void execCommand(DocumentModel &model, const QString &command, const QVariant &value);

// Leaves nothing selected.
void clearSelection(DocumentModel &model);

// The legacy font size (1 to 7) a font element's size or a FontSize value asks for: a number,
// or "+N"/"-N" relative to the normal size 3; nullopt for a text that is not a number.
[[nodiscard]] std::optional<int> legacyFontSize(const QString &value);

// A point of a user's selection: an offset into a Text node's data, or, for another node, the
// node itself (offset 0: before it, otherwise: after its start).
struct SelectionPoint {
    Node *node = nullptr;
    qsizetype offset = 0;
};

// Selects what a user's drag from one point to the other (in either order) covers: Text nodes
// are split at the points, and the selection becomes the children of the points' nearest common
// ancestor from the one that holds the first point to the one that holds the last.
void selectBetween(DocumentModel &model, SelectionPoint from, SelectionPoint to);

} // namespace dom
