#pragma once

#include <QStringList>

// The state of a script run, shared by the runner, the browser events and the page actions.
struct RunState {
    QStringList ScriptLines; // the prepared script, "$$$" already replaced
    QStringList Params;      // fields of the line being executed
    qint16 CurrentLine = 0;  // zero-based index of the next line to run
    bool WaitingForPage = false;
    bool ExecutingLine = false;
    bool ExitWhenFinished = false;
    quint64 PagesCompleted = 0; // page completions heard: tells an action whether its page came already
};
