#pragma once

#include "engine/Host.h"

// A host that shows nothing and answers nothing: benchmarks measure the engine, not a window.
class SilentHost : public Host {
public:
    void setStatusText(const QString &) override {}
    void messageBox(const QString &, const QString &, MessageIcon, MessageButtons) override {}
    QString inputBox(const QString &, const QString &, const QString &) override { return {}; }
    QString clipboardText() override { return {}; }
    void beep() override {}
    void sleep(int) override {}
    void closeMainWindow() override {}
};
