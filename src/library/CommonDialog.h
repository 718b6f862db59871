#pragma once

#include <QString>

// The main window's one Open/Save file dialog, shared by the script and link list commands:
// its file name is whatever the last dialog, tree click or start-up left in it.
class CommonDialog {
public:
    virtual ~CommonDialog() = default;

    [[nodiscard]] virtual QString fileName() const = 0;
    virtual void setFileName(const QString &fileName) = 0;
    // Shows the dialog; false when the user cancelled (the file name is then unchanged).
    [[nodiscard]] virtual bool showOpen() = 0;
    [[nodiscard]] virtual bool showSave() = 0;
};
