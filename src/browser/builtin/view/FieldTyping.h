#pragma once

#include <QString>

class QKeyEvent;

// What a key does in a text field a person types into.
struct FieldKeyOutcome {
    enum class Kind {
        Ignored, // not a key for the field
        Edited,  // a new value and caret
        Moved,   // the caret only
        Submit,  // Enter in a one-line field
        Leave,   // Escape
    };
    Kind kind = Kind::Ignored;
    QString value;
    qsizetype caret = 0;
};

// The editing keys (arrows, Home, End, Backspace, Delete, Enter, Escape) and typed text, at the
// caret in the value; typed text is cut at maxLength characters (none when negative).
[[nodiscard]] FieldKeyOutcome typeInField(const QKeyEvent &key, const QString &value, qsizetype caret,
                                          bool multiLine, int maxLength);
