#pragma once

#include "page/ScriptRecorder.h"

#include <memory>

class Browser;
class QLabel;
class QPlainTextEdit;
class QSettings;

// Scripts > Record: while it is on, what a person does in the browser's windows is appended to
// the script editor, one line each, and the indicator (a panel of the status bar) is shown. It
// records on whichever engine the browser drives.
class ScriptRecording final {
public:
    ScriptRecording(Browser &browser, QPlainTextEdit &editor, QLabel &indicator, QSettings &settings);
    // The browser is let go; nothing more is written.
    ~ScriptRecording();
    ScriptRecording(const ScriptRecording &) = delete;
    ScriptRecording &operator=(const ScriptRecording &) = delete;

    // Starting takes the stored record options; stopping writes the fields changed since the last action.
    void setRecording(bool on);
    [[nodiscard]] bool isRecording() const { return m_recorder != nullptr; }

private:
    void appendLine(const QString &line);

    Browser &m_browser;
    QPlainTextEdit &m_editor;
    QSettings &m_settings;
    QLabel &m_indicator;
    std::unique_ptr<ScriptRecorder> m_recorder;
};
