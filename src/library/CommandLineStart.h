#pragma once

#include <QString>

#include <chrono>
#include <functional>

class QWidget;
class ScriptLibrary;
class QPlainTextEdit;
struct RunState;

// The countdown window's clock: one second a tick, ten ticks.
inline constexpr std::chrono::milliseconds kCountdownTick{1000};

// Set by the countdown window's Abort button; read once after the countdown has closed.
extern bool CommandLineAborted;

enum class CommandLineStart {
    None,         // no command line: a normal start
    Started,      // the named script (or, aborted, a beep) runs, and the program ends with it
    UnknownScript // no node has the name: the program has said so and ends
};

// The start with a script named on the command line: a ten-second countdown the user can abort,
// then the named script loaded from the tree and run; ExitWhenFinished closes the program when
// the run ends. A name no node of the tree has is said on standard error and in a message that
// closes itself after the countdown's ten seconds, without a countdown first. Does nothing for an
// empty command line. countdownTick is shortened only by tests.
[[nodiscard]] CommandLineStart runCommandLineScript(const QString &commandLine, QWidget &mainWindow, ScriptLibrary &library,
                                                    QPlainTextEdit &scriptEditor, RunState &state,
                                                    const std::function<void()> &runScript,
                                                    std::chrono::milliseconds countdownTick = kCountdownTick);
// What the program says when the command line names no script of the library.
[[nodiscard]] QString unknownScriptMessage(const QString &name, const QString &libraryRoot);
