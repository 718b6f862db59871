// Putting text into form fields found by name, class or id.
#include "page/BrowserPageActions.h"

#include "page/CurrentDoc.h"
#include "page/Document.h"
#include "page/ElementSearch.h"

void BrowserPageActions::fillByName(const QString &name, const QString &value)
{
    const auto fields = refreshCurrentDoc().getElementsByName(name);
    try {
        fields->setValue(value);
    } catch (const ScriptError &) {
        // A name no field has is not reported: the run goes on.
    }
    CurrentDoc.reset();
}

void BrowserPageActions::appendByName(const QString &name, const QString &value)
{
    const auto fields = refreshCurrentDoc().getElementsByName(name);
    const QString oldValue = fields->value();
    try {
        fields->setValue(oldValue + value);
    } catch (const ScriptError &) {
    }
    CurrentDoc.reset();
}

void BrowserPageActions::fillByClass(const QString &className, const QString &text)
{
    // Nothing here is ever reported: elements whose class cannot be read are passed over.
    try {
        const auto all = refreshCurrentDoc().all();
        const auto element = findFirst(*all, [&](Element &candidate) {
            try {
                return candidate.className() == className;
            } catch (const ScriptError &) {
                return false;
            }
        });
        if (element)
            element->setInnerText(text);
    } catch (const ScriptError &) {
    }
}

void BrowserPageActions::fillById(const QString &id, const QString &value)
{
    const auto document = ownDocument();
    const auto element = asHtmlDocument(document).getElementById(id);
    asInputElement(element).setValue(value);
}

void BrowserPageActions::appendById(const QString &id, const QString &value)
{
    const auto document = ownDocument();
    const auto element = asHtmlDocument(document).getElementById(id);
    Element &input = asInputElement(element);
    input.setValue(input.value() + value);
}
