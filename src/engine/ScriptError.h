#pragma once

#include <QString>

#include <exception>

// The run-time error numbers the script language reports.
enum ErrorNumber : int {
    // A lookup that found nothing, or an unknown word, in a run with strict lookups: it halts the
    // run like a browser's own failure, without a message box; the host that asked for strict
    // lookups reports it.
    StrictLookupFailed = 0,
    // A failed "assert", "refute" or "waitfor": it halts the run in the same way, and its
    // description names the line.
    CheckFailed = 0,
    Overflow = 6,
    SubscriptOutOfRange = 9,
    TypeMismatch = 13,
    PathNotFound = 76,
    ObjectNotSet = 91,
    NotSupported = 438,
    RemoteUnavailable = 462,
};

// The one failure type of the script language: a run-time error number and its description.
// Numbers of 0 and below are failures reported by the browser with its own status codes.
class ScriptError : public std::exception {
public:
    explicit ScriptError(int number, QString description = {});

    [[nodiscard]] int number() const { return m_number; }
    [[nodiscard]] const QString &description() const { return m_description; }
    [[nodiscard]] const char *what() const noexcept override { return m_what.constData(); }

    // The standard description of a run-time error number ("Overflow", "Type mismatch", ...).
    [[nodiscard]] static QString standardDescription(int number);

private:
    int m_number;
    QString m_description;
    QByteArray m_what;
};
