#pragma once

#include "engine/BrowserWindow.h"
#include "browser/builtin/DocumentBuilder.h"
#include "browser/builtin/net/LoadedResponse.h"
#include "browser/builtin/net/HttpCache.h"
#include "browser/builtin/NavigationHistory.h"
#include "browser/builtin/dom/NavigationRequest.h"

#include <QObject>
#include <QUrl>

#include <memory>
#include <optional>

class BuiltinBrowser;
class PageLoader;
class PersonActions;

// Disposes of a load that may be in the middle of reporting its end: it is cancelled at once
// and deleted from the event loop.
struct PageLoaderDisposal {
    void operator()(PageLoader *loader) const;
};

// One window of the built-in browser: its page, its loads and history, and what its view shows
// (status text, bars, title). Loads are asynchronous: navigationStarted as a load starts,
// documentCompleted from the event loop once the document is built (on the browser's
// DocumentBuilder thread); the window is busy until then.
class BuiltinWindow final : public QObject,
                            public BrowserWindow,
                            public NavigationHost,
                            public std::enable_shared_from_this<BuiltinWindow> {
    Q_OBJECT
public:
    explicit BuiltinWindow(BuiltinBrowser &browser);
    ~BuiltinWindow() override;

    void navigate(const QString &url) override;
    // Throws ScriptError(-2147467259) when there is no earlier page; does nothing when the
    // earlier pages are past the history's bound.
    void goBack() override;
    // The page going back left, loaded again (no script line goes forward); nothing when none.
    void goForward();
    [[nodiscard]] bool canGoForward() const;
    // The shown page loaded again in its place in history, asking every server again past the
    // browser's cache, as a browser's Reload does.
    void reload();
    void stop() override;
    void quit() override;

    [[nodiscard]] std::shared_ptr<Document> document() override;
    [[nodiscard]] QString locationUrl() const override;
    [[nodiscard]] int httpStatus() const override;
    [[nodiscard]] QString loadError() const override;
    [[nodiscard]] bool isBusy() const override;
    [[nodiscard]] QString name() const override;

    void setStatusText(const QString &text) override;
    void setToolBar(bool visible) override;
    void setStatusBar(bool visible) override;
    void clearSelection() override;
    // Null is accepted on a closed window too: disconnecting needs no browser.
    void setEventSink(BrowserEvents *sink) override;

    // Navigates the window the request's target names.
    void followHyperlink(const NavigationRequest &request) override;
    void documentEdited() override;
    void elementActedOn(const dom::Element &element) override;

    // What a person does in the window's view, told to the browser's recording when one is on; a
    // click before it acts, as it may lead away from the page its facts are read from.
    void navigateAsPerson(const QString &typedAddress);
    void goBackAsPerson();
    void goForwardAsPerson();
    void reloadAsPerson();
    void personClicking(dom::Element &element);
    // The field's value was changed by typing or a choice.
    void personChangedField(const dom::Element &field);
    // Enter was pressed in the field: its form is about to be submitted.
    void personSubmitting(const dom::Element &field);

    // Navigates this window itself, whatever the request's target.
    void load(const NavigationRequest &request);
    // Shows an empty page at once, with no load and no events, as a freshly started browser does.
    void showBlankPage();
    // Closes the window without failing when it is closed already.
    void close();

    [[nodiscard]] bool isClosed() const { return m_closed; }
    // The browser the window belongs to; null once it is closed.
    [[nodiscard]] BuiltinBrowser *browser() const { return m_browser; }
    // The name links and forms target the window by; empty for an unnamed window.
    [[nodiscard]] QString windowName() const { return m_windowName; }
    void setWindowName(const QString &name) { m_windowName = name; }
    // The title a view of the window shows: the page's title and the browser's name.
    [[nodiscard]] QString title() const;
    [[nodiscard]] QString statusText() const { return m_statusText; }
    [[nodiscard]] bool toolBarVisible() const { return m_toolBar; }
    [[nodiscard]] bool statusBarVisible() const { return m_statusBar; }

signals:
    void documentChanged();
    // The shown document was edited: a value, a checked box, its tree or its selection.
    void pageEdited();
    // A click or a new value is about to act on this element of the shown document.
    void pageElementActedOn(const dom::Element *element);
    void statusTextChanged();
    void barsChanged();
    void activationRequested();
    void closed();

private:
    void ensureOpen() const;
    // The browser's receiver of a person's actions; null while nothing is recorded.
    [[nodiscard]] PersonActions *recording() const;
    // Tells the recording of a click on a control of the shown document, if it keeps such clicks.
    void recordClick(PersonActions &recording, const dom::Element &control);
    [[nodiscard]] bool opensNewWindow(const dom::Element &control) const;
    // A kept document is shown again without a request, through the same events as a load.
    void startLoad(const NavigationRequest &request, std::optional<int> historyIndex,
                   const std::optional<LoadFailure> &failure = std::nullopt,
                   std::shared_ptr<Document> keptDocument = nullptr, CacheUse cacheUse = CacheUse::Normal);
    void showHistoryEntry(int index);
    void onLoadFinished();
    void buildDocument(const LoadedResponse &response, std::optional<int> historyIndex);
    void onDocumentBuilt(std::shared_ptr<Document> document, const NavigationRequest &request,
                         std::optional<int> historyIndex, bool keepForBack, int httpStatus, const QString &loadError);
    void showPage(std::shared_ptr<Document> document, const NavigationRequest &request,
                  std::optional<int> historyIndex, bool keepForBack, int httpStatus = 0);
    void openInNewWindow(const NavigationRequest &request);

    BuiltinBrowser *m_browser;
    BrowserEvents *m_sink = nullptr;
    std::unique_ptr<PageLoader, PageLoaderDisposal> m_loader;
    std::optional<int> m_loadHistoryIndex;
    std::shared_ptr<Document> m_keptDocumentLoad;
    std::unique_ptr<DocumentBuilder::Build> m_build;
    NavigationHistory m_history;
    std::shared_ptr<Document> m_document;
    QUrl m_location;
    QByteArray m_locationWireTarget;
    int m_httpStatus = 0;
    QString m_loadError;
    QString m_windowName;
    QString m_statusText;
    bool m_toolBar = true;
    bool m_statusBar = true;
    bool m_closed = false;
};
