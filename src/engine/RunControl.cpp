// Run, Reset and the string variable: how a script is prepared, started and rewound.
#include "engine/ScriptRunner.h"

#include "engine/BrowserAccess.h"
#include "engine/BrowserWindow.h"
#include "engine/Host.h"
#include "engine/ScriptError.h"
#include "engine/ScriptText.h"

#include <QLocale>
#include <QTime>

#include <utility>

void ScriptRunner::runScript(const QString &editorText)
{
    // The markers are replaced before the lines are stored, so that a run already ticking
    // never executes a line with "$$$" still in it.
    const QStringList written = splitLines(editorText);
    auto [lines, variable] = promptVariables(written);
    m_state.currentLine = 0;
    m_state.writtenLines = written;
    m_state.variableText = std::move(variable);
    m_state.scriptLines = std::move(lines);
    m_paused = false;
    m_stepsAllowed = 0;
    m_passBreakpointAt = -1;
    m_tickTimer.start();
}

ScriptRunner::PreparedLines ScriptRunner::promptVariables(QStringList lines)
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
    return {std::move(lines), std::move(variable)};
}

void ScriptRunner::resetRun()
{
    const bool wasEnabled = m_tickTimer.isActive();
    stopAtLineOne();
    if (wasEnabled)
        m_tickTimer.start();
}

void ScriptRunner::stopAtLineOne()
{
    m_tickTimer.stop();
    if (std::exchange(m_sleeping, false))
        m_tickTimer.setInterval(m_paceBeforeSleep);
    endTextWait();
    endElementWait();
    m_state.currentLine = 0;
    m_state.waitingForPage = false;
    m_state.executingLine = false;
    m_halted = false;
}

void ScriptRunner::stop()
{
    const bool wasRunning = m_tickTimer.isActive();
    const bool pageComing = m_state.waitingForPage;
    stopAtLineOne();
    m_paused = false;
    m_stepsAllowed = 0;
    // The page a stopped run waited for must not arrive later in its place.
    if (pageComing) {
        try {
            m_browser.window().stop();
        } catch (const ScriptError &) {
        }
    }
    if (wasRunning)
        m_host.setStatusText(QStringLiteral("Stopped Executing Script"));
}

void ScriptRunner::pause()
{
    m_paused = true;
    m_stepsAllowed = 0;
}

void ScriptRunner::resume()
{
    m_passBreakpointAt = m_state.currentLine;
    m_paused = false;
}

void ScriptRunner::step(const QString &editorText)
{
    if (!m_tickTimer.isActive()) {
        runScript(editorText);
        m_passBreakpointAt = -1;
    } else {
        m_passBreakpointAt = m_state.currentLine;
    }
    m_paused = true;
    m_stepsAllowed = 1;
}

void ScriptRunner::runFrom(const QString &editorText, int line)
{
    runScript(editorText);
    if (line > 0 && line < m_state.scriptLines.size())
        m_state.currentLine = qint16(line);
}

QString clockText()
{
    return QLocale::system().toString(QTime::currentTime(), QLocale::ShortFormat);
}
