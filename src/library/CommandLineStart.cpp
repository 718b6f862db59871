#include "library/CommandLineStart.h"

#include "engine/RunState.h"
#include "library/CountdownDialog.h"
#include "library/EditorText.h"
#include "library/ScriptLibrary.h"

#include <QDir>
#include <QMessageBox>
#include <QTextStream>
#include <QTimer>

bool CommandLineAborted = false;

namespace {

// Said where a scheduled start leaves a trace, and shown for a while to a person at the screen.
void sayUnknownScript(QWidget &mainWindow, const QString &message, std::chrono::milliseconds countdownTick)
{
    QTextStream(stderr) << "navrelay: " << message << Qt::endl;
    QMessageBox box(QMessageBox::Warning, CountdownDialog::kTitle, message, QMessageBox::Ok, &mainWindow);
    QTimer::singleShot(countdownTick * CountdownDialog::kSeconds, &box, &QMessageBox::accept);
    box.exec();
}

} // namespace

QString unknownScriptMessage(const QString &name, const QString &libraryRoot)
{
    return QStringLiteral("There is no script named \"%1\" in the library (%2).").arg(name, QDir::toNativeSeparators(libraryRoot));
}

CommandLineStart runCommandLineScript(const QString &commandLine, QWidget &mainWindow, ScriptLibrary &library,
                                      QPlainTextEdit &scriptEditor, RunState &state, const std::function<void()> &runScript,
                                      std::chrono::milliseconds countdownTick)
{
    if (commandLine.isEmpty())
        return CommandLineStart::None;
    if (!library.hasNodeNamed(commandLine)) {
        sayUnknownScript(mainWindow, unknownScriptMessage(commandLine, library.libraryRoot()), countdownTick);
        return CommandLineStart::UnknownScript;
    }
    state.exitWhenFinished = true;
    CountdownDialog countdown(&mainWindow, countdownTick);
    countdown.exec();
    if (CommandLineAborted) {
        setEditorText(scriptEditor, QStringLiteral("Beep"));
        runScript();
        return CommandLineStart::Started;
    }
    if (library.selectFirstNodeNamed(commandLine)) {
        library.loadSelectedScript();
        runScript();
    }
    return CommandLineStart::Started;
}
