#pragma once

#include <QStringList>

// The state of a script run, shared by the runner, the browser events and the page actions.
struct RunState {
    QStringList scriptLines; // the prepared script, "$$$" already replaced
    QStringList writtenLines; // the same lines as written, "$$$" still in: what a run shows and writes
    QString variableText; // the text put in place of "$$$": never shown or written anywhere
    QStringList params;      // fields of the line being executed
    qint16 currentLine = 0;  // zero-based index of the next line to run
    bool waitingForPage = false;
    bool executingLine = false;
    bool exitWhenFinished = false;
    bool strictLookups = false; // an unknown word or a lookup that finds nothing halts the run
    qint64 elementWaitMs = 0; // how long a line waits for the element it acts on to come
    quint64 pagesCompleted = 0; // page completions heard: tells an action whether its page came already
};
