// Following a link by its text, in the same window or a new one.
#include "page/BrowserPageActions.h"

#include "page/Document.h"
#include "page/ElementSearch.h"

std::unique_ptr<Element> BrowserPageActions::findLink(const QString &LinkText)
{
    const auto document = ownDocument();
    const auto links = asHtmlDocument(document).links();
    return findFirst(*links, [&](Element &link) { return link.innerText() == LinkText; });
}

void BrowserPageActions::Clink(const QString &LinkText)
{
    if (const auto link = findLink(LinkText))
        link->click();
}

void BrowserPageActions::ClinkNew(const QString &LinkText)
{
    if (const auto link = findLink(LinkText)) {
        link->setTarget(QStringLiteral("_blank"));
        link->click();
    }
}
