// Clicking buttons, items, image inputs and elements, with the page waits each click implies.
#include "page/BrowserPageActions.h"

#include "engine/RunState.h"
#include "page/CurrentDoc.h"
#include "page/Document.h"
#include "page/ElementSearch.h"

namespace {

const QString kSubmitImage = QStringLiteral("submit.gif");

} // namespace

void BrowserPageActions::clickButton(const QString &value, bool navigates)
{
    // Every failure is dropped: an element whose type cannot be read is passed over.
    const QString notFound = QStringLiteral("no button with the value \"%1\"").arg(value);
    std::unique_ptr<Collection> controls;
    try {
        const auto document = ownDocument();
        if (const auto body = asHtmlDocument(document).body())
            controls = body->all();
    } catch (const ScriptError &) {
    }
    if (!controls) {
        lookupFailed(notFound);
        return;
    }
    std::unique_ptr<Element> match;
    const int length = controls->length();
    for (int index = 0; index < length && !match; ++index) {
        try {
            const std::optional<QString> type = controls->typeIfAnyAt(index);
            if (!type)
                continue;
            if (*type == QLatin1String("submit")) {
                m_state.waitingForPage = true;
                auto element = controls->item(index);
                if (element && element->value() == value) {
                    m_state.waitingForPage = navigates;
                    match = std::move(element);
                }
            } else if (*type == QLatin1String("button")) {
                m_state.waitingForPage = navigates;
                auto element = controls->item(index);
                if (element && element->value() == value)
                    match = std::move(element);
            }
        } catch (const ScriptError &) {
        }
    }
    if (!match) {
        lookupFailed(notFound);
        return;
    }
    try {
        match->click();
    } catch (const ScriptError &) {
    }
}

void BrowserPageActions::clickButtonByName(const QString &name)
{
    const auto document = ownDocument();
    if (!document)
        throw ScriptError(ObjectNotSet);
    const auto named = document->getElementsByName(name);
    if (m_state.strictLookups && named->length() == 0)
        lookupFailed(QStringLiteral("no element named \"%1\"").arg(name));
    named->click();
}

void BrowserPageActions::clickItem(qint16 Index, const QString &name)
{
    // Every failure is dropped; CurrentDoc is emptied whatever happened.
    bool found = false;
    try {
        const auto all = refreshCurrentDoc().all();
        if (name.isEmpty()) {
            if (const auto element = all->item(Index)) {
                found = true;
                element->click();
            }
        } else {
            const auto named = namedItems(*all, name);
            if (Index >= 0 && std::size_t(Index) < named.size()) {
                found = true;
                named[std::size_t(Index)]->click();
            }
        }
    } catch (const ScriptError &) {
    }
    CurrentDoc.reset();
    if (!found) {
        lookupFailed(name.isEmpty() ? QStringLiteral("no element at position %1").arg(Index)
                                    : QStringLiteral("no element named \"%1\" at position %2").arg(name).arg(Index));
    }
}

void BrowserPageActions::clickImageInput(const QString &imageSource)
{
    const auto inputs = refreshCurrentDoc().getElementsByTagName(QStringLiteral("INPUT"));
    const auto image = findFirst(*inputs, [&](Element &input) { return input.src() == imageSource; });
    if (image)
        image->click();
    CurrentDoc.reset();
    if (!image)
        lookupFailed(QStringLiteral("no image input with the source \"%1\"").arg(imageSource));
}

void BrowserPageActions::clickByClass(const QString &className)
{
    // The class takes no part: the first element whose markup holds the submit image is clicked.
    // An element's markup holds that of every element inside it, so the elements inside one
    // whose markup lacks the image are passed over unread.
    const auto all = refreshCurrentDoc().all();
    const int length = all->length();
    for (int index = 0; index < length;) {
        const auto element = all->item(index);
        if (!element) {
            ++index;
            continue;
        }
        if (element->innerHTML().contains(kSubmitImage)) {
            element->click();
            return;
        }
        index += 1 + element->all()->length();
    }
    lookupFailed(QStringLiteral("no element holds %1 (clickclass %2)").arg(kSubmitImage, className));
}

void BrowserPageActions::clickElementById(const QString &id, bool navigates)
{
    const auto all = refreshCurrentDoc().all();
    const auto element = findFirst(*all, [&](Element &candidate) { return candidate.id() == id; });
    if (!element) {
        lookupFailed(QStringLiteral("no element with the id \"%1\"").arg(id));
        return;
    }
    m_state.waitingForPage = navigates;
    element->click();
}

void BrowserPageActions::clickElementByName(const QString &name, bool navigates)
{
    // Only the elements the document gives for the name "submit" are candidates.
    const auto candidates = asHtmlDocument(CurrentDoc).getElementsByName(QStringLiteral("submit"));
    const int length = candidates->length();
    for (int index = 0; index < length; ++index) {
        const auto element = candidates->item(index);
        if (asInputElement(element).name() == name) {
            m_state.waitingForPage = navigates;
            element->click();
            return;
        }
    }
    lookupFailed(QStringLiteral("no submit control named \"%1\"").arg(name));
}
