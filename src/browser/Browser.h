#pragma once

#include "engine/BrowserWindow.h"
#include "page/PersonActions.h"

#include <QString>

#include <memory>
#include <vector>

// A browser backend: the windows it has open and the means to start more. Plays the part of
// the desktop shell's window list and the browser program.
class Browser {
public:
    virtual ~Browser() = default;

    // The Name every window of this backend reports.
    [[nodiscard]] virtual QString browserName() const = 0;
    // The program named in messages ("Chromium can not be located.").
    [[nodiscard]] virtual QString programName() const = 0;

    // Every open window, in the backend's own enumeration order.
    [[nodiscard]] virtual std::vector<std::shared_ptr<BrowserWindow>> windows() = 0;
    // A new, separate window that can take a page another window asks to open.
    [[nodiscard]] virtual std::shared_ptr<BrowserWindow> createWindow() = 0;
    // Starts the browser program; throws ScriptError when it cannot be started.
    virtual void startProgram() = 0;
    // Brings the window with this title to the foreground; does nothing when none matches.
    virtual void activateWindow(const QString &title) = 0;
    // Reports what a person does in any of the backend's windows, new ones included, to the
    // receiver; null ends the reporting. Nothing is watched while there is no receiver.
    virtual void setPersonActions(PersonActions *receiver) = 0;
};
