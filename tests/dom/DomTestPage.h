#pragma once

#include "browser/builtin/dom/HtmlDocument.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// A NavigationHost that records what the document asks of its window.
class NavigationRecorder : public NavigationHost {
public:
    void followHyperlink(const NavigationRequest &request) override { requests.push_back(request); }

    std::vector<NavigationRequest> requests;
};

inline const QUrl PageUrl(QStringLiteral("http://127.0.0.1/dir/page.html"));

// A parsed page with a recording window.
struct DomTestPage {
    explicit DomTestPage(const QByteArray &html, const QByteArray &contentType = "text/html; charset=utf-8",
                         const QUrl &url = PageUrl)
        : document(buildHtmlDocument(html, contentType, url, host))
    {
    }

    // The element with that id; fails the test when there is none.
    [[nodiscard]] std::unique_ptr<Element> byId(const QString &id) const
    {
        auto element = document->getElementById(id);
        EXPECT_TRUE(element) << "no element with id " << id.toStdString();
        return element;
    }

    [[nodiscard]] QString bodyHtml() const { return document->body()->innerHTML(); }

    // The one navigation the page asked for; fails the test unless there was exactly one.
    [[nodiscard]] NavigationRequest onlyRequest() const
    {
        EXPECT_EQ(host->requests.size(), 1u);
        return host->requests.empty() ? NavigationRequest{} : host->requests.front();
    }

    std::shared_ptr<NavigationRecorder> host = std::make_shared<NavigationRecorder>();
    std::shared_ptr<Document> document;
};

// Runs the operation and gives the script error number it throws, 0 when it throws none.
template <typename Operation>
[[nodiscard]] int errorNumberOf(Operation &&operation)
{
    try {
        operation();
    } catch (const ScriptError &error) {
        return error.number();
    }
    return 0;
}
