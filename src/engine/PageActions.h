#pragma once

#include "engine/ActionTarget.h"

#include <QString>
#include <QStringView>

#include <functional>

// The page operations the command tables call. Each may throw ScriptError as its own rules say.
class PageActions {
public:
    virtual ~PageActions() = default;

    virtual void clickLink(const QString &linkText) = 0;
    virtual void clickLinkInNewWindow(const QString &linkText) = 0;

    virtual void fillByName(const QString &name, const QString &value) = 0;
    virtual void appendByName(const QString &name, const QString &value) = 0;
    virtual void fillByClass(const QString &className, const QString &text) = 0;
    virtual void fillById(const QString &id, const QString &value) = 0;
    virtual void appendById(const QString &id, const QString &value) = 0;

    virtual void clickButton(const QString &value, bool navigates) = 0;
    virtual void clickButtonByName(const QString &name) = 0;
    virtual void clickItem(qint16 Index, const QString &name) = 0;
    virtual void clickImageInput(const QString &imageSource) = 0;
    virtual void clickByClass(const QString &className) = 0;
    virtual void clickElementById(const QString &id, bool navigates) = 0;
    virtual void clickElementByName(const QString &name, bool navigates) = 0;

    // Whether the target an action looks for is on the page now, and ready to be acted on.
    [[nodiscard]] virtual TargetState targetState(const ActionTarget &target) = 0;

    // Hands the HTML inside the attached page's body to `read` piece by piece, in order, until
    // `read` returns false: the conditional lines search it and stop where they find their text.
    virtual void readBodyHtml(const std::function<bool(QStringView)> &read) = 0;
};
