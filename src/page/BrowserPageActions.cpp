#include "page/BrowserPageActions.h"

#include "browser/BrowserWindow.h"
#include "engine/BrowserAccess.h"
#include "page/CurrentDoc.h"
#include "page/Document.h"

BrowserPageActions::BrowserPageActions(BrowserAccess &browser, RunState &state)
    : m_browser(browser)
    , m_state(state)
{
}

std::shared_ptr<Document> BrowserPageActions::ownDocument()
{
    return m_browser.IE().document();
}

Document &BrowserPageActions::refreshCurrentDoc()
{
    auto document = ownDocument();
    if (document && document->kind() != DocumentKind::Html)
        throw ScriptError(TypeMismatch); // CurrentDoc only ever holds an HTML document
    CurrentDoc = std::move(document);
    return asHtmlDocument(CurrentDoc);
}
