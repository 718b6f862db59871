#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QStringList>

#include <memory>

class BuiltinWindow;

// A picture of a window's page and what it lacks.
struct WindowPicture {
    QByteArray png; // empty when there is none
    QStringList notes; // what the picture lacks, and why; empty for a whole picture
};

// The window's page as its view draws it, as PNG, made offscreen once the page's style sheets and
// images have arrived or failed, or at the deadline with what has arrived by then; none without a
// widget application to draw in, or when the page is still being laid out at the deadline.
[[nodiscard]] WindowPicture windowPicture(const std::shared_ptr<BuiltinWindow> &window, QDeadlineTimer deadline);
