#include "browser/builtin/dom/FormEntryList.h"

#include "browser/builtin/dom/AsciiText.h"
#include "browser/builtin/dom/FormControls.h"

namespace dom {
namespace {

[[nodiscard]] bool isButton(const Element &element)
{
    if (element.is(QLatin1StringView("button")))
        return true;
    if (!element.is(QLatin1StringView("input")))
        return false;
    const QString type = inputType(element);
    return type == QLatin1StringView("submit") || type == QLatin1StringView("image")
        || type == QLatin1StringView("reset") || type == QLatin1StringView("button");
}

[[nodiscard]] bool hasDatalistAncestor(const Element &element)
{
    for (const Element *ancestor = element.parentElement(); ancestor; ancestor = ancestor->parentElement())
        if (ancestor->is(QLatin1StringView("datalist")))
            return true;
    return false;
}

[[nodiscard]] QString directionality(const Element &element)
{
    for (const Element *current = &element; current; current = current->parentElement()) {
        const QString dir = asciiLowercase(current->attributeOrEmpty(u"dir"));
        if (dir == QLatin1StringView("rtl") || dir == QLatin1StringView("ltr"))
            return dir;
    }
    return QStringLiteral("ltr");
}

[[nodiscard]] bool hasDirname(const Element &element)
{
    if (element.is(QLatin1StringView("textarea")))
        return true;
    const QString type = inputType(element);
    return element.is(QLatin1StringView("input")) && (type == QLatin1StringView("text") || type == QLatin1StringView("search"));
}

// Step 5 for one field that passed the checks of steps 5.1 to 5.4.
void appendFieldEntries(std::vector<FormEntry> &entries, const Element &field, const QString &name,
                        const QByteArray &encoding)
{
    if (field.is(QLatin1StringView("select"))) {
        for (const Element *option : selectOptions(field))
            if (selectedness(*option) && !isDisabled(*option))
                entries.push_back(FormEntry::text(name, optionValue(*option)));
        return;
    }
    if (field.is(QLatin1StringView("textarea"))) {
        entries.push_back(FormEntry::text(name, textAreaValue(field)));
        return;
    }
    if (field.is(QLatin1StringView("input"))) {
        const QString type = inputType(field);
        if (type == QLatin1StringView("file")) {
            entries.push_back(FormEntry::emptyFile(name));
            return;
        }
        if (type == QLatin1StringView("hidden") && name.compare(QLatin1StringView("_charset_"), Qt::CaseInsensitive) == 0) {
            entries.push_back(FormEntry::text(name, QString::fromLatin1(encoding)));
            return;
        }
        entries.push_back(FormEntry::text(name, inputValue(field)));
        return;
    }
    entries.push_back(FormEntry::text(name, field.attributeOrEmpty(u"value")));
}

} // namespace

bool isSubmitButton(const Element &element)
{
    if (element.is(QLatin1StringView("button")))
        return buttonType(element) == QLatin1StringView("submit");
    if (!element.is(QLatin1StringView("input")))
        return false;
    const QString type = inputType(element);
    return type == QLatin1StringView("submit") || type == QLatin1StringView("image");
}

std::vector<FormEntry> constructEntryList(const Element &form, const Element *submitter, const QByteArray &encoding)
{
    std::vector<FormEntry> entries;
    // Step 5: each submittable element whose form owner is the form, in tree order.
    for (const Element *field : formControls(form)) {
        // 5.1: skip datalist content, disabled controls, buttons other than the submitter,
        // unchecked checkboxes and radio buttons, and object elements.
        if (hasDatalistAncestor(*field) || isDisabled(*field))
            continue;
        if (isButton(*field) && field != submitter)
            continue;
        const bool isInput = field->is(QLatin1StringView("input"));
        const QString type = isInput ? inputType(*field) : QString();
        if ((type == QLatin1StringView("checkbox") || type == QLatin1StringView("radio")) && !checkedness(*field))
            continue;
        // 5.2: the image button that submits gives the coordinate clicked, 0,0 for a scripted click.
        if (type == QLatin1StringView("image")) {
            QString prefix = field->attributeOrEmpty(u"name");
            if (!prefix.isEmpty())
                prefix += u'.';
            entries.push_back(FormEntry::text(prefix + u'x', QStringLiteral("0")));
            entries.push_back(FormEntry::text(prefix + u'y', QStringLiteral("0")));
            continue;
        }
        // 5.4: nameless fields give nothing.
        const QString name = field->attributeOrEmpty(u"name");
        if (name.isEmpty())
            continue;
        appendFieldEntries(entries, *field, name, encoding);
        // 5.12: the dirname attribute adds the field's direction.
        if (hasDirname(*field)) {
            const QString dirname = field->attributeOrEmpty(u"dirname");
            if (!dirname.isEmpty())
                entries.push_back(FormEntry::text(dirname, directionality(*field)));
        }
    }
    return entries;
}

} // namespace dom
