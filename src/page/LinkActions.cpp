// Following a link by its text, in the same window or a new one.
#include "page/BrowserPageActions.h"

#include "page/Document.h"
#include "page/ElementSearch.h"

std::unique_ptr<Element> BrowserPageActions::findLink(const QString &linkText)
{
    const auto document = ownDocument();
    const auto links = asHtmlDocument(document).links();
    auto link = findFirst(*links, [&](Element &candidate) { return candidate.innerText() == linkText; });
    if (!link)
        lookupFailed(QStringLiteral("no link with the text \"%1\"").arg(linkText));
    return link;
}

void BrowserPageActions::clickLink(const QString &linkText)
{
    if (const auto link = findLink(linkText))
        link->click();
}

void BrowserPageActions::clickLinkInNewWindow(const QString &linkText)
{
    if (const auto link = findLink(linkText)) {
        link->setTarget(QStringLiteral("_blank"));
        link->click();
    }
}
