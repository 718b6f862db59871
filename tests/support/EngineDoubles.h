#pragma once

#include "browser/BrowserWindow.h"
#include "engine/BrowserAccess.h"
#include "engine/PageActions.h"
#include "engine/ScriptError.h"
#include "page/Document.h"

#include <QStringList>

#include <functional>
#include <memory>

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
    void Navigate(const QString &url) override
    {
        check();
        calls << QStringLiteral("Navigate ") + url;
        if (duringNavigate)
            duringNavigate();
    }
    void GoBack() override { check(); calls << QStringLiteral("GoBack"); }
    void Stop() override { check(); calls << QStringLiteral("Stop"); }
    void Quit() override { check(); calls << QStringLiteral("Quit"); closed = true; }
    std::shared_ptr<Document> document() override { check(); return page; }
    QString LocationURL() const override { return {}; }
    bool Busy() const override { return false; }
    QString Name() const override { return QStringLiteral("Recording Browser"); }
    void setStatusText(const QString &) override {}
    void setToolBar(bool) override {}
    void setStatusBar(bool) override {}
    void ExecWB(int, int) override {}
    void setEventSink(BrowserEvents *) override {}

    void check() const
    {
        if (closed)
            throw ScriptError(RemoteUnavailable);
    }

    QStringList calls;
    bool closed = false;
    std::function<void()> duringNavigate;
    std::shared_ptr<Document> page = std::make_shared<BodyOnlyDocument>(QString());
};

// The browser connection as the runner sees it: one recording window, or none attached.
class RecordingBrowserAccess : public BrowserAccess {
public:
    BrowserWindow &IE() override
    {
        if (!window)
            throw ScriptError(ObjectNotSet);
        return *window;
    }
    void AttachBrowser() override
    {
        ++attaches;
        if (onAttach)
            onAttach();
    }

    std::shared_ptr<RecordingWindow> window = std::make_shared<RecordingWindow>();
    int attaches = 0;
    std::function<void()> onAttach;
};

// Page actions that record their calls ("ClickItem 3 q") and can be told to fail.
class RecordingPageActions : public PageActions {
public:
    void Clink(const QString &text) override { record({QStringLiteral("Clink"), text}); }
    void ClinkNew(const QString &text) override { record({QStringLiteral("ClinkNew"), text}); }
    void FillFormByName(const QString &name, const QString &value) override { record({QStringLiteral("FillFormByName"), name, value}); }
    void FillAppend(const QString &name, const QString &value) override { record({QStringLiteral("FillAppend"), name, value}); }
    void FillClass(const QString &name, const QString &value) override { record({QStringLiteral("FillClass"), name, value}); }
    void FillByID(const QString &name, const QString &value) override { record({QStringLiteral("FillByID"), name, value}); }
    void FillAppendByID(const QString &name, const QString &value) override { record({QStringLiteral("FillAppendByID"), name, value}); }
    void ClickButton(const QString &value, bool navigate) override { record({QStringLiteral("ClickButton"), value, flag(navigate)}); }
    void ClickButtonByName(const QString &name) override { record({QStringLiteral("ClickButtonByName"), name}); }
    void ClickItem(qint16 index, const QString &name) override { record({QStringLiteral("ClickItem"), QString::number(index), name}); }
    void ClickInputImg(const QString &src) override { record({QStringLiteral("ClickInputImg"), src}); }
    void ClickClass(const QString &name) override { record({QStringLiteral("ClickClass"), name}); }
    void ClickElementByID(const QString &id, bool navigate) override { record({QStringLiteral("ClickElementByID"), id, flag(navigate)}); }
    void ClickElementByName(const QString &name, bool navigate) override { record({QStringLiteral("ClickElementByName"), name, flag(navigate)}); }

    QStringList calls;
    int failWith = 0; // a non-zero error number makes the next call throw it
    std::function<void()> duringCall;

private:
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
