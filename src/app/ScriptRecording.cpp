#include "app/ScriptRecording.h"

#include "app/RecordOptions.h"
#include "browser/Browser.h"
#include "library/EditorText.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>

#include <utility>

ScriptRecording::ScriptRecording(Browser &browser, QPlainTextEdit &editor, QLabel &indicator, QSettings &settings)
    : m_browser(browser)
    , m_editor(editor)
    , m_settings(settings)
    , m_indicator(indicator)
{
    m_indicator.hide();
}

ScriptRecording::~ScriptRecording()
{
    if (m_recorder)
        m_browser.setPersonActions(nullptr);
}

void ScriptRecording::setRecording(bool on)
{
    if (on == isRecording())
        return;
    if (on) {
        m_recorder = std::make_unique<ScriptRecorder>([this](const QString &line) { appendLine(line); },
                                                      storedRecordOptions(m_settings));
        m_browser.setPersonActions(m_recorder.get());
    } else {
        m_browser.setPersonActions(nullptr);
        std::exchange(m_recorder, nullptr)->finish();
    }
    m_indicator.setVisible(on);
}

void ScriptRecording::appendLine(const QString &line)
{
    // The line goes on a line of its own: into an empty last line, else after a line break.
    const bool lastLineEmpty = m_editor.document()->lastBlock().text().isEmpty();
    appendEditorText(m_editor, lastLineEmpty ? line : QStringLiteral("\r\n") + line);
    m_editor.moveCursor(QTextCursor::End);
}
