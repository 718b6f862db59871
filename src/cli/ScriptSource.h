#pragma once

#include <QDeadlineTimer>
#include <QString>

// The bounds on a script navrelay-run reads: the runner's 16-bit line counter goes no further
// than this many lines, and a hostile or runaway input (an endless pipe, a file of millions of
// lines) is refused once it passes them, before it fills the memory.
inline constexpr int kMaxScriptLines = 32767;
inline constexpr qint64 kMaxScriptLineBytes = 1024 * 1024;
inline constexpr qint64 kMaxScriptBytes = 64 * 1024 * 1024;

// What reading a script gave.
struct ScriptSource {
    enum class Outcome { Read, Unreadable, Refused, TimedOut, Stopped };

    Outcome outcome = Outcome::Read;
    QString text;    // the script text, as the editor would load it, when read
    QByteArray sha256; // of the bytes read, in hex
    QString problem; // why it was not: the system's reason, or the bound it passed
    int line = 0;    // the 1-based line a bound was passed on
};

// Reads the script file, or standard input for "-", within its bounds and before the deadline.
// A descriptor that becomes readable meanwhile (a stop signal's) ends the read as Stopped.
[[nodiscard]] ScriptSource readScriptSource(const QString &path, const QDeadlineTimer &deadline, int stopDescriptor = -1);
// The name messages give the script: its path, or "<stdin>".
[[nodiscard]] QString scriptSourceName(const QString &path);
