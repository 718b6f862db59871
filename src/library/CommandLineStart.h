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

// The start with a script named on the command line: a ten-second countdown the user can abort,
// then the named script loaded from the tree and run; ExitWhenFinished closes the program when
// the run ends. Does nothing for an empty command line. countdownTick is shortened only by tests.
void runCommandLineScript(const QString &commandLine, QWidget &mainWindow, ScriptLibrary &library,
                   QPlainTextEdit &scriptEditor, RunState &state, const std::function<void()> &runScript,
                   std::chrono::milliseconds countdownTick = kCountdownTick);
