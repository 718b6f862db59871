#pragma once

#include "browser/builtin/dom/Node.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace dom {

// One entry of a form's data set: a text value, or a file (always empty here: no file is ever
// picked without a user).
struct FormEntry {
    QString name;
    QString value;
    bool isFile = false;
    QString fileName;
    QByteArray fileType;

    [[nodiscard]] static FormEntry text(QString name, QString value)
    {
        FormEntry entry;
        entry.name = std::move(name);
        entry.value = std::move(value);
        return entry;
    }
    [[nodiscard]] static FormEntry emptyFile(QString name)
    {
        FormEntry entry;
        entry.name = std::move(name);
        entry.isFile = true;
        entry.fileType = "application/octet-stream";
        return entry;
    }

    bool operator==(const FormEntry &) const = default;
};

// The HTML "constructing the entry list" algorithm for a form and the element that submits it
// (the form itself, a submit button or an image button clicked at 0,0). The encoding's name
// is the value of a hidden "_charset_" field.
[[nodiscard]] std::vector<FormEntry> constructEntryList(const Element &form, const Element *submitter,
                                                        const QByteArray &encoding);

// Whether the element submits its form: input submit or image, or a button of type submit.
[[nodiscard]] bool isSubmitButton(const Element &element);

} // namespace dom
