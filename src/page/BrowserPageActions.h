#pragma once

#include "engine/PageActions.h"

#include <memory>

class BrowserAccess;
class Collection;
class Document;
class Element;
struct RunState;

// The page actions on the attached browser's current document, written against the document
// interface alone so that every backend runs them alike.
class BrowserPageActions : public PageActions {
public:
    BrowserPageActions(BrowserAccess &browser, RunState &state);

    void Clink(const QString &LinkText) override;
    void ClinkNew(const QString &LinkText) override;

    void FillFormByName(const QString &sName, const QString &sValue) override;
    void FillAppend(const QString &sName, const QString &sValue) override;
    void FillClass(const QString &sClass, const QString &sText) override;
    void FillByID(const QString &sID, const QString &sValue) override;
    void FillAppendByID(const QString &sID, const QString &sValue) override;

    void ClickButton(const QString &sValue, bool blnNavigate) override;
    void ClickButtonByName(const QString &sName) override;
    void ClickItem(qint16 Index, const QString &sName) override;
    void ClickInputImg(const QString &ImgSrc) override;
    void ClickClass(const QString &sClass) override;
    void ClickElementByID(const QString &sID, bool blnNavigate) override;
    void ClickElementByName(const QString &sName, bool blnNavigate) override;

private:
    // The attached browser's document in a reference of the action's own.
    [[nodiscard]] std::shared_ptr<Document> ownDocument();
    // Sets CurrentDoc to the attached browser's document and returns it as an HTML document.
    Document &refreshCurrentDoc();
    [[nodiscard]] std::unique_ptr<Element> findLink(const QString &LinkText);

    BrowserAccess &m_browser;
    RunState &m_state;
};
