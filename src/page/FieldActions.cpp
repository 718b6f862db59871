// Putting text into form fields found by name, class or id.
#include "page/BrowserPageActions.h"

#include "engine/RunState.h"
#include "page/CurrentDoc.h"
#include "page/Document.h"
#include "page/ElementSearch.h"

void BrowserPageActions::fillByName(const QString &name, const QString &value)
{
    const auto fields = refreshCurrentDoc().getElementsByName(name);
    if (m_state.strictLookups && fields->length() == 0)
        lookupFailed(QStringLiteral("no field named \"%1\"").arg(name));
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
    if (m_state.strictLookups && fields->length() == 0)
        lookupFailed(QStringLiteral("no field named \"%1\"").arg(name));
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
    bool found = false;
    try {
        const auto all = refreshCurrentDoc().all();
        const auto element = findFirst(*all, [&](Element &candidate) { return hasClass(candidate, className); });
        found = element != nullptr;
        if (element)
            element->setInnerText(text);
    } catch (const ScriptError &) {
    }
    if (!found)
        lookupFailed(QStringLiteral("no element with the class \"%1\"").arg(className));
}

void BrowserPageActions::fillById(const QString &id, const QString &value)
{
    const auto document = ownDocument();
    const auto element = asHtmlDocument(document).getElementById(id);
    if (!element)
        lookupFailed(QStringLiteral("no field with the id \"%1\"").arg(id));
    asInputElement(element).setValue(value);
}

void BrowserPageActions::appendById(const QString &id, const QString &value)
{
    const auto document = ownDocument();
    const auto element = asHtmlDocument(document).getElementById(id);
    if (!element)
        lookupFailed(QStringLiteral("no field with the id \"%1\"").arg(id));
    Element &input = asInputElement(element);
    input.setValue(input.value() + value);
}
