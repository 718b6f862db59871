#pragma once

class QWidget;

// Puts the window into the band of windows kept above all others, or takes it out, without
// moving or resizing it.
void makeTopMost(QWidget &window);
void makeNotTopMost(QWidget &window);
