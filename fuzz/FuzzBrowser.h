#pragma once

#include "engine/BrowserWindow.h"
#include "browser/builtin/dom/HtmlDocument.h"
#include "engine/BrowserAccess.h"
#include "engine/RunState.h"
#include "engine/ScriptError.h"
#include "page/Document.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

// Ends the run as a crash, so that libFuzzer keeps the input, when a property that must hold
// does not.
inline void require(bool holds, const char *what)
{
    if (holds)
        return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

// One browser window showing built-in engine documents. Navigations are not loaded: each one
// only raises the page wait, as the before-navigate event does, and is counted; the owner
// completes it by showing a page of its choice.
class FuzzWindow : public BrowserWindow, public NavigationHost {
public:
    explicit FuzzWindow(RunState &state) : m_state(state) {}

    void show(std::shared_ptr<Document> document) { m_document = std::move(document); }

    void navigate(const QString &url) override
    {
        check();
        lastAddress = url;
        beginNavigation();
    }
    void goBack() override
    {
        check();
        beginNavigation();
    }
    void stop() override { check(); }
    void quit() override
    {
        check();
        closed = true;
    }
    std::shared_ptr<Document> document() override
    {
        check();
        return m_document;
    }
    QString locationUrl() const override { return lastAddress; }
    int httpStatus() const override { return 0; }
    QString loadError() const override { return {}; }
    bool isBusy() const override { return false; }
    QString name() const override { return QStringLiteral("Fuzz Browser"); }
    void setStatusText(const QString &) override {}
    void setToolBar(bool) override {}
    void setStatusBar(bool) override {}
    void clearSelection() override
    {
        check();
        if (m_document)
            clearDocumentSelection(*m_document);
    }
    void setEventSink(BrowserEvents *) override {}

    void followHyperlink(const NavigationRequest &request) override
    {
        check();
        require(request.method == "GET" || request.method == "POST", "a form asks for GET or POST");
        require(request.method == "POST" || request.body.isEmpty(), "only a POST carries a body");
        require(request.method != "POST" || !request.contentType.isEmpty(), "a POST body has a type");
        require(request.url.isValid() && !request.url.isRelative(), "a navigation goes to a full, valid address");
        require(request.url.scheme() != QLatin1StringView("javascript"), "no script address is followed");
        lastAddress = request.url.toString();
        beginNavigation();
    }

    bool closed = false;
    int navigations = 0;
    QString lastAddress;

private:
    void check() const
    {
        if (closed)
            throw ScriptError(RemoteUnavailable);
    }
    void beginNavigation()
    {
        ++navigations;
        m_state.waitingForPage = true;
    }

    RunState &m_state;
    std::shared_ptr<Document> m_document;
};

// The browser connection over one FuzzWindow; attaching reopens a closed window.
class FuzzBrowserAccess : public BrowserAccess {
public:
    explicit FuzzBrowserAccess(RunState &state) : fuzzWindow(std::make_shared<FuzzWindow>(state)) {}

    BrowserWindow &window() override { return *fuzzWindow; }
    void attachBrowser() override
    {
        ++attaches;
        if (onAttach)
            onAttach();
        fuzzWindow->closed = false;
    }

    std::shared_ptr<FuzzWindow> fuzzWindow;
    int attaches = 0;
    std::function<void()> onAttach; // the Reset the real attach starts with
};
