// Putting text into form fields found by name, class or id.
#include "page/BrowserPageActions.h"

#include "page/CurrentDoc.h"
#include "page/Document.h"
#include "page/ElementSearch.h"

void BrowserPageActions::FillFormByName(const QString &sName, const QString &sValue)
{
    const auto fields = refreshCurrentDoc().getElementsByName(sName);
    try {
        fields->setValue(sValue);
    } catch (const ScriptError &) {
        // A name no field has is not reported: the run goes on.
    }
    CurrentDoc.reset();
}

void BrowserPageActions::FillAppend(const QString &sName, const QString &sValue)
{
    const auto fields = refreshCurrentDoc().getElementsByName(sName);
    const QString oldValue = fields->value();
    try {
        fields->setValue(oldValue + sValue);
    } catch (const ScriptError &) {
    }
    CurrentDoc.reset();
}

void BrowserPageActions::FillClass(const QString &sClass, const QString &sText)
{
    // Nothing here is ever reported: elements whose class cannot be read are passed over.
    try {
        const auto all = refreshCurrentDoc().all();
        const auto element = findFirst(*all, [&](Element &candidate) {
            try {
                return candidate.className() == sClass;
            } catch (const ScriptError &) {
                return false;
            }
        });
        if (element)
            element->setInnerText(sText);
    } catch (const ScriptError &) {
    }
}

void BrowserPageActions::FillByID(const QString &sID, const QString &sValue)
{
    const auto document = ownDocument();
    const auto element = asHtmlDocument(document).getElementById(sID);
    asInputElement(element).setValue(sValue);
}

void BrowserPageActions::FillAppendByID(const QString &sID, const QString &sValue)
{
    const auto document = ownDocument();
    const auto element = asHtmlDocument(document).getElementById(sID);
    Element &input = asInputElement(element);
    input.setValue(input.value() + sValue);
}
