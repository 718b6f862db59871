#pragma once

#include "app/SelectableBrowser.h"

#include <QDialog>

class QDoubleSpinBox;
class QSettings;

// How long a line waits for its element on each engine, as the settings store keeps it in
// seconds (group "ElementWait", keys "Chromium" and "Builtin"); the engine's default while none
// or no count of seconds is kept.
[[nodiscard]] qint64 storedElementWaitMs(QSettings &settings, BrowserEngine engine);
void storeElementWaitMs(QSettings &settings, BrowserEngine engine, qint64 milliseconds);

// Settings > Element Wait: shows the kept waits and keeps them as they are on OK.
class ElementWaitDialog final : public QDialog {
    Q_OBJECT
public:
    ElementWaitDialog(QSettings &settings, QWidget *parent);

    void accept() override;

private:
    [[nodiscard]] QDoubleSpinBox *secondsBox(const char *name, qint64 milliseconds);

    QSettings &m_settings;
    QDoubleSpinBox *m_chromium;
    QDoubleSpinBox *m_builtin;
};
