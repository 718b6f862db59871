#pragma once

#include "browser/builtin/dom/DocumentModel.h"

#include <QString>
#include <QVariant>

namespace dom {

// The editing commands of a page's selection: "SelectAll" selects the body's contents;
// "FontName" and "FontSize" put the selected contents in a <font> element with that face or
// size (a selection that already is one font element's contents changes that element).
// Without a selection, and for any other command, nothing changes.
void execCommand(DocumentModel &model, const QString &command, const QVariant &value);

// Leaves nothing selected.
void clearSelection(DocumentModel &model);

} // namespace dom
