#pragma once

class QWidget;

// Places the built-in browser's open windows beside the main window, as a browser started next
// to it would stand: to its right where the screen has room, else below it.
void placeBrowserWindowsBeside(const QWidget &mainWindow);
