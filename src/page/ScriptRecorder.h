#pragma once

#include "page/PersonActions.h"

#include <QString>

#include <functional>
#include <vector>

// The script line that repeats a click: clink or clinknew by the link's text, clickbutton by the
// caption, clickbuttonbyname, clickitem by the name of a checkbox or radio button, when that
// lookup finds this very element first; else clickelementbyid, else clickitem by position.
// Empty when nothing finds it again (a position past the runner's line numbers).
[[nodiscard]] QString clickLine(const ClickedElement &element);

// The script line that puts the field's value back: fill by name, else fillbyid; a password as
// "$$$" (the run asks for it) when asked to. A "rem" line says why when no line can.
[[nodiscard]] QString fillLine(const ChangedField &field, bool passwordsAsked);

// Turns what a person does into script lines, one per action. A changed field is written once,
// with its last value, just before the next action (or at the end of the recording).
class ScriptRecorder final : public PersonActions {
public:
    using LineWriter = std::function<void(const QString &line)>;

    struct Options {
        // Password fields become "$$$", so that the secret stays out of the script file.
        bool askForPasswords = true;
    };

    ScriptRecorder(LineWriter writeLine, Options options);

    void addressTyped(const QString &url) override;
    void elementClicked(const ClickedElement &element) override;
    void fieldChanged(const ChangedField &field) override;
    void wentBack() override;

    // Writes the fields changed since the last action: the recording ends.
    void finish();

private:
    void write(const QString &line);
    void writeChangedFields();

    LineWriter m_writeLine;
    Options m_options;
    std::vector<ChangedField> m_changedFields; // in the order they were first changed
};
