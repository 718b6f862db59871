#pragma once

#include "page/ScriptRecorder.h"

#include <QDialog>

class QCheckBox;
class QSettings;

// The record options as the settings store keeps them (group "Record"); the defaults while none
// are kept.
[[nodiscard]] ScriptRecorder::Options storedRecordOptions(QSettings &settings);
void storeRecordOptions(QSettings &settings, const ScriptRecorder::Options &options);

// Scripts > Record Options: shows the kept options and keeps them as they are on OK. A recording
// takes them when it starts.
class RecordOptionsDialog final : public QDialog {
    Q_OBJECT
public:
    RecordOptionsDialog(QSettings &settings, QWidget *parent);

    void accept() override;

private:
    QSettings &m_settings;
    QCheckBox *m_askForPasswords;
};
