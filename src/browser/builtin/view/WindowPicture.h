#pragma once

#include <QByteArray>

#include <memory>

class BuiltinWindow;

// The window's page as its view draws it, as PNG, made offscreen; empty without a widget
// application to draw in.
[[nodiscard]] QByteArray windowPicturePng(const std::shared_ptr<BuiltinWindow> &window);
