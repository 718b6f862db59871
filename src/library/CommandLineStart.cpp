#include "library/CommandLineStart.h"

#include "engine/RunState.h"
#include "library/CountdownDialog.h"
#include "library/EditorText.h"
#include "library/ScriptLibrary.h"

bool CommandLineAborted = false;

void runCommandLineScript(const QString &commandLine, QWidget &mainWindow, ScriptLibrary &library,
                   QPlainTextEdit &scriptEditor, RunState &state, const std::function<void()> &runScript,
                   std::chrono::milliseconds countdownTick)
{
    if (commandLine.isEmpty())
        return;
    state.exitWhenFinished = true;
    CountdownDialog countdown(&mainWindow, countdownTick);
    countdown.exec();
    if (CommandLineAborted) {
        setEditorText(scriptEditor, QStringLiteral("Beep"));
        runScript();
        return;
    }
    if (library.selectFirstNodeNamed(commandLine)) {
        library.loadSelectedScript();
        runScript();
    }
}
