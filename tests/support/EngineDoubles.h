#pragma once

#include "engine/BrowserWindow.h"
#include "engine/BrowserAccess.h"
#include "engine/PageActions.h"
#include "engine/ScriptError.h"
#include "page/BrowserPageActions.h"
#include "page/Document.h"

#include <QStringList>

#include <functional>
#include <memory>

// The body of such a page: its HTML and text, and no other property (NotSupported).
class BodyElement : public Element {
public:
    explicit BodyElement(QString html) : m_html(std::move(html)) {}
    QString tagName() const override { return QStringLiteral("BODY"); }
    QString innerText() const override { return m_html; }
    QString innerHTML() const override { return m_html; }
    QString className() const override { return {}; }
    QString id() const override { return {}; }
    QString name() const override { throw ScriptError(NotSupported); }
    QString type() const override { throw ScriptError(NotSupported); }
    QString value() const override { throw ScriptError(NotSupported); }
    QString src() const override { throw ScriptError(NotSupported); }
    QString href() const override { throw ScriptError(NotSupported); }
    QString target() const override { throw ScriptError(NotSupported); }
    void setValue(const QString &) override { throw ScriptError(NotSupported); }
    void setInnerText(const QString &) override {}
    void setTarget(const QString &) override { throw ScriptError(NotSupported); }
    void click() override {}
    std::unique_ptr<Collection> all() const override { throw ScriptError(NotSupported); }

private:
    QString m_html;
};

// A page whose body holds the given HTML; nothing else of it is used by the engine.
class BodyOnlyDocument : public Document {
public:
    explicit BodyOnlyDocument(QString bodyHtml) : m_bodyHtml(std::move(bodyHtml)) {}

    DocumentKind kind() const override { return DocumentKind::Html; }
    std::unique_ptr<Element> body() const override;
    std::unique_ptr<Collection> all() const override { throw ScriptError(NotSupported); }
    std::unique_ptr<Collection> links() const override { throw ScriptError(NotSupported); }
    std::unique_ptr<Collection> getElementsByName(const QString &) const override { throw ScriptError(NotSupported); }
    std::unique_ptr<Element> getElementById(const QString &) const override { throw ScriptError(NotSupported); }
    std::unique_ptr<Collection> getElementsByTagName(const QString &) const override { throw ScriptError(NotSupported); }
    void execCommand(const QString &, bool, const QVariant &) override {}

    QString m_bodyHtml;
};

// A browser window that records the operations the engine asks of it.
class RecordingWindow : public BrowserWindow {
public:
    void navigate(const QString &url) override
    {
        check();
        calls << QStringLiteral("Navigate ") + url;
        if (duringNavigate)
            duringNavigate();
    }
    void goBack() override { check(); calls << QStringLiteral("GoBack"); }
    void stop() override { check(); calls << QStringLiteral("Stop"); }
    void quit() override { check(); calls << QStringLiteral("Quit"); closed = true; }
    std::shared_ptr<Document> document() override { check(); return page; }
    QString locationUrl() const override { return address; }
    int httpStatus() const override { return status; }
    QString loadError() const override { return failure; }
    bool isBusy() const override { return false; }
    QString name() const override { return QStringLiteral("Recording Browser"); }
    void setStatusText(const QString &) override {}
    void setToolBar(bool) override {}
    void setStatusBar(bool) override {}
    void clearSelection() override {}
    void setEventSink(BrowserEvents *) override {}

    void check() const
    {
        if (closed)
            throw ScriptError(RemoteUnavailable);
    }

    QStringList calls;
    bool closed = false;
    QString address;
    int status = 0;
    QString failure;
    std::function<void()> duringNavigate;
    std::shared_ptr<Document> page = std::make_shared<BodyOnlyDocument>(QString());
};

// The browser connection as the runner sees it: one recording window, or none attached.
class RecordingBrowserAccess : public BrowserAccess {
public:
    BrowserWindow &window() override
    {
        if (!recorder)
            throw ScriptError(ObjectNotSet);
        return *recorder;
    }
    void attachBrowser() override
    {
        ++attaches;
        if (onAttach)
            onAttach();
    }

    std::shared_ptr<RecordingWindow> recorder = std::make_shared<RecordingWindow>();
    int attaches = 0;
    std::function<void()> onAttach;
};

// Page actions that record their calls ("clickItem 3 q") and can be told to fail.
class RecordingPageActions : public PageActions {
public:
    explicit RecordingPageActions(BrowserAccess &browser) : m_browser(browser) {}

    void clickLink(const QString &text) override { record({QStringLiteral("clickLink"), text}); }
    void clickLinkInNewWindow(const QString &text) override { record({QStringLiteral("clickLinkInNewWindow"), text}); }
    void fillByName(const QString &name, const QString &value) override { record({QStringLiteral("fillByName"), name, value}); }
    void appendByName(const QString &name, const QString &value) override { record({QStringLiteral("appendByName"), name, value}); }
    void fillByClass(const QString &name, const QString &value) override { record({QStringLiteral("fillByClass"), name, value}); }
    void fillById(const QString &name, const QString &value) override { record({QStringLiteral("fillById"), name, value}); }
    void appendById(const QString &name, const QString &value) override { record({QStringLiteral("appendById"), name, value}); }
    void clickButton(const QString &value, bool navigate) override { record({QStringLiteral("clickButton"), value, flag(navigate)}); }
    void clickButtonByName(const QString &name) override { record({QStringLiteral("clickButtonByName"), name}); }
    void clickItem(qint16 index, const QString &name) override { record({QStringLiteral("clickItem"), QString::number(index), name}); }
    void clickImageInput(const QString &src) override { record({QStringLiteral("clickImageInput"), src}); }
    void clickByClass(const QString &name) override { record({QStringLiteral("clickByClass"), name}); }
    void clickElementById(const QString &id, bool navigate) override { record({QStringLiteral("clickElementById"), id, flag(navigate)}); }
    void clickElementByName(const QString &name, bool navigate) override { record({QStringLiteral("clickElementByName"), name, flag(navigate)}); }

    TargetState targetState(const ActionTarget &target) override
    {
        return lookForTarget ? lookForTarget(target) : TargetState::Ready;
    }
    void readBodyHtml(const std::function<bool(QStringView)> &read) override { readBodyHtmlOf(m_browser.window(), read); }

    QStringList calls;
    std::function<TargetState(const ActionTarget &)> lookForTarget; // every target is ready without it
    int failWith = 0; // a non-zero error number makes the next call throw it
    std::function<void()> duringCall;

private:
    BrowserAccess &m_browser;
    static QString flag(bool value) { return value ? QStringLiteral("true") : QStringLiteral("false"); }
    void record(const QStringList &call)
    {
        calls << call.join(QLatin1Char(' ')).trimmed();
        if (duringCall)
            duringCall();
        if (const int number = std::exchange(failWith, 0))
            throw ScriptError(number);
    }
};
