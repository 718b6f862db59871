#include "page/PageZoom.h"

#include "engine/BrowserWindow.h"
#include "page/Document.h"

namespace {

const QString kFontName = QStringLiteral("Verdana");

} // namespace

void zoomSelectionOf(Document &document, qint16 size)
{
    document.execCommand(QStringLiteral("FontName"), true, kFontName);
    document.execCommand(QStringLiteral("FontSize"), true, int(size));
}

void zoomWholePage(Document &document, BrowserWindow &window, qint16 size)
{
    document.execCommand(QStringLiteral("SelectAll"));
    document.execCommand(QStringLiteral("FontName"), false, kFontName);
    document.execCommand(QStringLiteral("FontSize"), false, int(size));
    window.clearSelection();
}
