#include "library/CommandLineStart.h"

#include "engine/RunState.h"
#include "library/CountdownWindow.h"
#include "library/EditorText.h"
#include "library/ScriptLibrary.h"

bool CommandLineAborted = false;

void CommandScript(const QString &commandLine, QWidget &mainWindow, ScriptLibrary &library,
                   QPlainTextEdit &txtScript, RunState &state, const std::function<void()> &runScript,
                   std::chrono::milliseconds countdownTick)
{
    if (commandLine.isEmpty())
        return;
    state.ExitWhenFinished = true;
    fTimeout countdown(&mainWindow, countdownTick);
    countdown.exec();
    if (CommandLineAborted) {
        setEditorText(txtScript, QStringLiteral("Beep"));
        runScript();
        return;
    }
    if (library.selectFirstNodeNamed(commandLine)) {
        library.TreeView1_Click();
        runScript();
    }
}
