#pragma once

#include "engine/PageActions.h"

#include <memory>

class BrowserAccess;
class BrowserWindow;
class Collection;
class Document;
class Element;
struct RunState;

// The page actions on the attached browser's current document, written against the document
// interface alone so that every backend runs them alike.
class BrowserPageActions : public PageActions {
public:
    BrowserPageActions(BrowserAccess &browser, RunState &state);

    void clickLink(const QString &linkText) override;
    void clickLinkInNewWindow(const QString &linkText) override;

    void fillByName(const QString &name, const QString &value) override;
    void appendByName(const QString &name, const QString &value) override;
    void fillByClass(const QString &className, const QString &text) override;
    void fillById(const QString &id, const QString &value) override;
    void appendById(const QString &id, const QString &value) override;

    void clickButton(const QString &value, bool navigates) override;
    void clickButtonByName(const QString &name) override;
    void clickItem(qint16 Index, const QString &name) override;
    void clickImageInput(const QString &imageSource) override;
    void clickByClass(const QString &className) override;
    void clickElementById(const QString &id, bool navigates) override;
    void clickElementByName(const QString &name, bool navigates) override;

    TargetState targetState(const ActionTarget &target) override;
    void readBodyHtml(const std::function<bool(QStringView)> &read) override;

private:
    // The attached browser's document in a reference of the action's own.
    [[nodiscard]] std::shared_ptr<Document> ownDocument();
    // Sets CurrentDoc to the attached browser's document and returns it as an HTML document.
    Document &refreshCurrentDoc();
    [[nodiscard]] std::unique_ptr<Element> findLink(const QString &linkText);
    // A lookup found nothing: with strict lookups the run halts with the message, without them
    // the action goes on as its own rules say.
    void lookupFailed(const QString &message) const;

    BrowserAccess &m_browser;
    RunState &m_state;
};

// Hands the HTML inside the body of the window's document to `read` as
// Element::readInnerHTML does: ObjectNotSet (91) when it has none.
void readBodyHtmlOf(BrowserWindow &window, const std::function<bool(QStringView)> &read);
