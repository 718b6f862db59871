// Run, Reset and the string variable: how a script is prepared, started and rewound.
#include "engine/ScriptRunner.h"

#include "engine/Host.h"
#include "engine/ScriptText.h"

#include <QLocale>
#include <QTime>

void ScriptRunner::mRunScript_Click(const QString &editorText)
{
    // The markers are replaced before the lines are stored, so that a run already ticking
    // never executes a line with "$$$" still in it.
    const QStringList lines = PromptVariables(splitLines(editorText));
    m_state.CurrentLine = 0;
    m_state.ScriptLines = lines;
    m_timerNav.start();
}

QStringList ScriptRunner::PromptVariables(QStringList lines)
{
    bool asked = false;
    QString variable;
    for (QString &line : lines) {
        if (!hasVariableMarker(line))
            continue;
        if (!asked) {
            variable = m_host.inputBox(QStringLiteral("What is the string variable?"),
                                       QStringLiteral("Set Variable"), m_host.clipboardText());
            asked = true;
        }
        line = substituteVariable(line, variable);
    }
    return lines;
}

void ScriptRunner::mReset_Click()
{
    const bool wasEnabled = m_timerNav.isActive();
    m_timerNav.stop();
    m_state.CurrentLine = 0;
    m_state.WaitingForPage = false;
    m_state.ExecutingLine = false;
    m_halted = false;
    if (wasEnabled)
        m_timerNav.start();
}

QString clockText()
{
    return QLocale::system().toString(QTime::currentTime(), QLocale::ShortFormat);
}
