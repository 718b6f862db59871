#include "page/BrowserPageActions.h"

#include "engine/BrowserWindow.h"
#include "engine/BrowserAccess.h"
#include "engine/RunState.h"
#include "page/CurrentDoc.h"
#include "page/Document.h"

BrowserPageActions::BrowserPageActions(BrowserAccess &browser, RunState &state)
    : m_browser(browser)
    , m_state(state)
{
}

void readBodyHtmlOf(BrowserWindow &window, const std::function<bool(QStringView)> &read)
{
    const auto body = asHtmlDocument(window.document()).body();
    if (!body)
        throw ScriptError(ObjectNotSet);
    body->readInnerHTML(read);
}

void BrowserPageActions::readBodyHtml(const std::function<bool(QStringView)> &read)
{
    readBodyHtmlOf(m_browser.window(), read);
}

TargetState BrowserPageActions::targetState(const ActionTarget &target)
{
    const auto document = ownDocument();
    return asHtmlDocument(document).targetState(target);
}

void BrowserPageActions::lookupFailed(const QString &message) const
{
    if (m_state.strictLookups)
        throw ScriptError(StrictLookupFailed, message);
}

std::shared_ptr<Document> BrowserPageActions::ownDocument()
{
    return m_browser.window().document();
}

Document &BrowserPageActions::refreshCurrentDoc()
{
    auto document = ownDocument();
    if (document && document->kind() != DocumentKind::Html)
        throw ScriptError(TypeMismatch); // CurrentDoc only ever holds an HTML document
    CurrentDoc = std::move(document);
    return asHtmlDocument(CurrentDoc);
}
