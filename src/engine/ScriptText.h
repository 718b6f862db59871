#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// The script text format: lines at CR LF, fields at ";", the "#" and "$$$" markers.

// Cuts at every CR LF; the empty text gives no lines, a lone CR or LF stays in its line.
[[nodiscard]] QStringList splitLines(const QString &text);
// Cuts at every ";", keeping every empty field.
[[nodiscard]] QStringList splitFields(const QString &line);

// The random-number rule on one field: a field with "#" becomes R x N rounded, where N is the
// number between its first two "#" and 0 <= R < 1. The result is also left in the field.
// SubscriptOutOfRange (9) for a single "#", TypeMismatch (13) for a piece that is no number.
QString parseCommand(QString &field);

// Puts the text in place of every "$$$", left to right without overlaps.
[[nodiscard]] QString substituteVariable(const QString &line, const QString &text);
// The marker a run replaces with its string variable's text.
extern const QString kVariableMarker;
[[nodiscard]] bool hasVariableMarker(const QString &line);

// The text as QString::toLower gives it, without a look-up in the Unicode tables for ASCII:
// the "if" and "not" lines lower-case a whole page.
[[nodiscard]] QString lowerCased(QString text);
