#pragma once

#include <QtGlobal>

class BrowserWindow;
class Document;

// The text zoom of a page, as the Zoom menu and the browser window's zoom keys make it: the
// selection, or the whole page (leaving nothing selected), set in the zoom font at a legacy
// font size (1 to 7). A failing command throws the script language's error.
void zoomSelectionOf(Document &document, qint16 size);
void zoomWholePage(Document &document, BrowserWindow &window, qint16 size);
