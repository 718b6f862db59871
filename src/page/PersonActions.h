#pragma once

#include <QString>

// What a person's click hit, read from the live document at the moment of the click with the
// same lookups the script words make, so that a recorder can choose a line that finds it again.
struct ClickedElement {
    QString tagName; // upper case, as the DOM gives it: "A", "INPUT", "BUTTON"
    QString type;    // an input's or a button's type, lower case; empty for other elements
    QString text;    // a link's rendered text (innerText)
    QString value;   // a button's caption: its value
    QString name;
    QString id;
    int position = -1; // index in the document's "all"
    // Index among the elements of "all" whose name or id is `name` (what clickitem;NAME;N
    // resolves); -1 when the element has no name.
    int positionInName = -1;
    bool firstLinkWithText = false;      // the first of the links whose innerText is `text`
    bool firstButtonWithCaption = false; // the first submit or button control whose value is `value`
    bool firstWithName = false;          // the first element getElementsByName(name) gives
    bool firstWithId = false;            // the first element of "all" whose id is `id`
    bool opensNewWindow = false;         // a link whose click opens another window
};

// A form field a person changed, with its value at that moment.
struct ChangedField {
    int position = -1; // index in the document's "all": one field's changes share it
    QString tagName;   // "INPUT", "TEXTAREA", "SELECT"
    QString type;      // an input's type, lower case ("text", "password", ...)
    QString name;
    QString id;
    QString value;
    bool firstWithName = false; // the first element getElementsByName(name) gives
    bool firstWithId = false;   // the element getElementById(id) gives
};

// Receives what a person does in a browser's windows while a recording is on.
class PersonActions {
public:
    virtual ~PersonActions() = default;

    // An address typed into the address bar and opened.
    virtual void addressTyped(const QString &url) = 0;
    // A click on a link, a button or another control, before it acts.
    virtual void elementClicked(const ClickedElement &element) = 0;
    virtual void fieldChanged(const ChangedField &field) = 0;
    virtual void wentBack() = 0;
};
