#include "browser/builtin/BuiltinWindow.h"

#include "browser/builtin/BuiltinBrowser.h"
#include "browser/builtin/ErrorPage.h"
#include "browser/builtin/net/NavigationAddress.h"
#include "browser/builtin/net/PageLoader.h"
#include "browser/builtin/PersonActionFacts.h"
#include "browser/builtin/dom/Activation.h"
#include "browser/builtin/dom/FormSubmission.h"
#include "browser/builtin/dom/HtmlDocument.h"
#include "browser/builtin/dom/Node.h"
#include "browser/builtin/dom/UrlParsing.h"
#include "engine/ScriptError.h"

#include <QDebug>

namespace {

// What the browser answers GoBack with when there is no earlier page (E_FAIL).
constexpr int NoEarlierPage = -2147467259;
// Keywords are matched without regard to case; window names are matched exactly.
[[nodiscard]] bool isThisWindowTarget(const QString &target)
{
    return target.isEmpty() || target.compare(QLatin1String("_self"), Qt::CaseInsensitive) == 0
        || target.compare(QLatin1String("_top"), Qt::CaseInsensitive) == 0
        || target.compare(QLatin1String("_parent"), Qt::CaseInsensitive) == 0;
}

[[nodiscard]] bool isBlankTarget(const QString &target)
{
    return target.compare(QLatin1String("_blank"), Qt::CaseInsensitive) == 0;
}

// The address as the window shows it, with the path and query as they were sent.
[[nodiscard]] QString addressText(const QUrl &url, const QByteArray &wireTarget = {})
{
    return dom::writtenUrl(url, wireTarget);
}

// Error pages and big pages are loaded again on going back, as are pages the server asked
// browsers not to keep.
[[nodiscard]] bool mayBeKept(const LoadedResponse &response)
{
    return !response.failure && !response.noStore && response.body.size() <= MaxKeptPageBytes;
}

} // namespace

void PageLoaderDisposal::operator()(PageLoader *loader) const
{
    loader->cancel();
    loader->deleteLater();
}

BuiltinWindow::BuiltinWindow(BuiltinBrowser &browser)
    : m_browser(&browser)
{
}

BuiltinWindow::~BuiltinWindow() = default;

void BuiltinWindow::navigate(const QString &url)
{
    ensureOpen();
    startLoad(typedNavigation(url), std::nullopt);
}

void BuiltinWindow::goBack()
{
    ensureOpen();
    const std::optional<int> index = m_history.backIndex();
    if (!index && m_history.forgotEarlierPages())
        return;
    if (!index)
        throw ScriptError(NoEarlierPage, QStringLiteral("Unspecified error"));
    showHistoryEntry(*index);
}

void BuiltinWindow::goForward()
{
    ensureOpen();
    if (const std::optional<int> index = m_history.forwardIndex())
        showHistoryEntry(*index);
}

bool BuiltinWindow::canGoForward() const
{
    return !m_closed && m_history.forwardIndex().has_value();
}

void BuiltinWindow::reload()
{
    ensureOpen();
    if (m_location.isEmpty())
        return;
    startLoad(typedNavigation(locationUrl()), m_history.currentIndex(), std::nullopt, nullptr, CacheUse::Reload);
}

void BuiltinWindow::showHistoryEntry(int index)
{
    const NavigationRequest entry = m_history.entry(index);
    if (auto document = m_history.keptDocument(index)) {
        startLoad(entry, index, std::nullopt, std::move(document));
        return;
    }
    // The answer to a form is not asked for again: that would send the form a second time.
    if (entry.method != "GET")
        startLoad(entry, index, LoadFailure{LoadFailureKind::FormNotResent, {}});
    else
        startLoad(entry, index);
}

void BuiltinWindow::stop()
{
    ensureOpen();
    m_loader.reset();
    m_loadHistoryIndex.reset();
    m_keptDocumentLoad.reset();
    m_build.reset();
}

void BuiltinWindow::quit()
{
    ensureOpen();
    close();
}

std::shared_ptr<Document> BuiltinWindow::document()
{
    ensureOpen();
    return m_document;
}

QString BuiltinWindow::locationUrl() const
{
    ensureOpen();
    return m_location.isEmpty() ? QString() : addressText(m_location, m_locationWireTarget);
}

int BuiltinWindow::httpStatus() const
{
    ensureOpen();
    return m_httpStatus;
}

QString BuiltinWindow::loadError() const
{
    ensureOpen();
    return m_loadError;
}

bool BuiltinWindow::isBusy() const
{
    ensureOpen();
    return m_loader != nullptr || m_build != nullptr;
}

QString BuiltinWindow::name() const
{
    ensureOpen();
    return QString::fromLatin1(BuiltinBrowserName);
}

void BuiltinWindow::setStatusText(const QString &text)
{
    ensureOpen();
    m_statusText = text;
    emit statusTextChanged();
}

void BuiltinWindow::setToolBar(bool visible)
{
    ensureOpen();
    m_toolBar = visible;
    emit barsChanged();
}

void BuiltinWindow::setStatusBar(bool visible)
{
    ensureOpen();
    m_statusBar = visible;
    emit barsChanged();
}

void BuiltinWindow::clearSelection()
{
    ensureOpen();
    if (m_document)
        clearDocumentSelection(*m_document);
}

void BuiltinWindow::setEventSink(BrowserEvents *sink)
{
    if (sink)
        ensureOpen();
    m_sink = sink;
}

void BuiltinWindow::followHyperlink(const NavigationRequest &request)
{
    ensureOpen();
    if (isThisWindowTarget(request.target)) {
        load(request);
        return;
    }
    if (!isBlankTarget(request.target)) {
        if (const auto named = m_browser->windowNamed(request.target)) {
            named->load(request);
            return;
        }
    }
    openInNewWindow(request);
}

void BuiltinWindow::documentEdited()
{
    emit pageEdited();
}

void BuiltinWindow::elementActedOn(const dom::Element &element)
{
    emit pageElementActedOn(&element);
}

void BuiltinWindow::navigateAsPerson(const QString &typedAddress)
{
    ensureOpen();
    if (PersonActions *receiver = recording()) {
        const NavigationRequest typed = typedNavigation(typedAddress);
        receiver->addressTyped(addressText(typed.url, typed.wireTarget));
    }
    navigate(typedAddress);
}

void BuiltinWindow::goBackAsPerson()
{
    goBack();
    if (PersonActions *receiver = recording())
        receiver->wentBack();
}

void BuiltinWindow::goForwardAsPerson()
{
    const std::optional<int> index = m_history.forwardIndex();
    goForward();
    // No line goes forward: the page it reaches is typed instead.
    if (PersonActions *receiver = recording(); receiver && index)
        receiver->addressTyped(addressText(m_history.entry(*index).url, m_history.entry(*index).wireTarget));
}

void BuiltinWindow::reloadAsPerson()
{
    const QString address = locationUrl();
    reload();
    if (PersonActions *receiver = recording(); receiver && !address.isEmpty())
        receiver->addressTyped(address);
}

void BuiltinWindow::personClicking(dom::Element &element)
{
    PersonActions *receiver = recording();
    if (!receiver)
        return;
    if (const dom::Element *control = dom::clickedControl(element))
        recordClick(*receiver, *control);
}

void BuiltinWindow::personChangedField(const dom::Element &field)
{
    PersonActions *receiver = recording();
    if (!receiver || !m_document)
        return;
    try {
        receiver->fieldChanged(builtinFieldFacts(*m_document, field));
    } catch (const ScriptError &error) {
        qWarning() << "The changed field is not on the window's page:" << error.what();
    }
}

void BuiltinWindow::personSubmitting(const dom::Element &field)
{
    PersonActions *receiver = recording();
    const auto model = m_document ? documentModel(*m_document) : nullptr;
    if (!receiver || !model)
        return;
    if (dom::Element *button = dom::defaultButton(field)) {
        personClicking(*button);
        return;
    }
    // No line sends a form without its button: the address such a form asks for is typed instead.
    const std::optional<NavigationRequest> request = dom::implicitSubmission(field, *model);
    if (request && request->method == "GET")
        receiver->addressTyped(addressText(request->url));
}

void BuiltinWindow::load(const NavigationRequest &request)
{
    ensureOpen();
    startLoad(request, std::nullopt);
}

void BuiltinWindow::showBlankPage()
{
    ensureOpen();
    NavigationRequest request;
    request.url = QUrl(QStringLiteral("about:blank"));
    showPage(buildHtmlDocument({}, "text/html", request.url, weak_from_this()), request, std::nullopt, true);
}

void BuiltinWindow::close()
{
    if (m_closed)
        return;
    // The last owner may be the browser's list, which forgets the window here.
    const auto self = weak_from_this().lock();
    m_closed = true;
    m_loader.reset();
    m_keptDocumentLoad.reset();
    m_build.reset();
    m_sink = nullptr;
    m_document.reset();
    m_history = NavigationHistory();
    if (m_browser)
        m_browser->forgetWindow(this);
    m_browser = nullptr;
    emit closed();
}

QString BuiltinWindow::title() const
{
    const QString browserName = QString::fromLatin1(BuiltinBrowserName);
    if (!m_document)
        return browserName;
    const QString page = m_document->kind() == DocumentKind::Html ? documentTitle(*m_document).simplified()
                                                                  : m_location.fileName();
    return page.isEmpty() ? browserName : page + QStringLiteral(" - ") + browserName;
}

void BuiltinWindow::ensureOpen() const
{
    if (m_closed)
        throw ScriptError(RemoteUnavailable);
}

PersonActions *BuiltinWindow::recording() const
{
    return m_browser && !m_closed ? m_browser->personActions() : nullptr;
}

void BuiltinWindow::recordClick(PersonActions &recording, const dom::Element &control)
{
    if (!m_document || !isRecordedClick(control))
        return;
    try {
        recording.elementClicked(builtinClickFacts(*m_document, control, opensNewWindow(control)));
    } catch (const ScriptError &error) {
        // The view may still show the page the window has just left.
        qWarning() << "The clicked element is not on the window's page:" << error.what();
    }
}

bool BuiltinWindow::opensNewWindow(const dom::Element &control) const
{
    const auto model = documentModel(*m_document);
    if (!model || !control.isAnyOf({"a", "area"}))
        return false;
    const QString target = dom::elementTarget(control.attribute(u"target"), *model);
    if (isThisWindowTarget(target))
        return false;
    return isBlankTarget(target) || !m_browser->windowNamed(target);
}

void BuiltinWindow::startLoad(const NavigationRequest &request, std::optional<int> historyIndex,
                              const std::optional<LoadFailure> &failure, std::shared_ptr<Document> keptDocument,
                              CacheUse cacheUse)
{
    m_build.reset();
    m_loader.reset(new PageLoader(m_browser->network(), m_browser->limits(), request, cacheUse));
    m_loadHistoryIndex = historyIndex;
    m_keptDocumentLoad = std::move(keptDocument);
    connect(m_loader.get(), &PageLoader::finished, this, &BuiltinWindow::onLoadFinished);
    // While the server answers, the window has time for the pages let go of.
    connect(m_loader.get(), &PageLoader::requestSent, this, [browser = m_browser] { browser->documentDisposal().freeHeld(); });
    if (failure)
        m_loader->startFailed(*failure);
    else if (m_keptDocumentLoad)
        m_loader->startWithoutRequest();
    else
        m_loader->start();
    if (m_sink)
        m_sink->navigationStarted(addressText(request.url, request.wireTarget));
}

void BuiltinWindow::onLoadFinished()
{
    const auto self = shared_from_this();
    const std::unique_ptr<PageLoader, PageLoaderDisposal> loader = std::move(m_loader);
    const std::optional<int> historyIndex = std::exchange(m_loadHistoryIndex, std::nullopt);
    const LoadedResponse &response = loader->response();
    // Reached from the event loop: nothing may escape into Qt.
    try {
        if (!response.keepsDocument && !m_keptDocumentLoad) {
            buildDocument(response, historyIndex);
            return;
        }
        if (auto kept = std::exchange(m_keptDocumentLoad, nullptr))
            showPage(std::move(kept), response.request, historyIndex, true,
                     historyIndex ? m_history.httpStatus(*historyIndex) : 0);
        else if (!m_document)
            showBlankPage();
        m_loadError.clear();
        if (m_sink)
            m_sink->documentCompleted(locationUrl());
    } catch (const std::exception &error) {
        qWarning() << "Completing the load of" << response.request.url << "failed:" << error.what();
    }
}

void BuiltinWindow::buildDocument(const LoadedResponse &response, std::optional<int> historyIndex)
{
    const bool keepForBack = mayBeKept(response);
    // A form the history does not send again was never asked for: no load failed.
    const bool failed = response.failure && response.failure->kind != LoadFailureKind::FormNotResent;
    const QString loadError = failed ? loadFailureReason(*response.failure, response.request.url) : QString();
    // The build goes with m_build: the window is alive whenever it calls back.
    m_build = m_browser->documentBuilder().build(
        response, weak_from_this(),
        [this, request = response.request, historyIndex, keepForBack, status = response.httpStatus, loadError,
         inPlace = response.body.size() <= DocumentBuilder::InPlaceBytes](std::shared_ptr<Document> document) {
            DocumentDisposal &disposal = m_browser->documentDisposal();
            document = inPlace ? disposal.holdOnceLetGo(std::move(document)) : disposal.adopt(std::move(document));
            onDocumentBuilt(std::move(document), request, historyIndex, keepForBack, status, loadError);
        });
}

void BuiltinWindow::onDocumentBuilt(std::shared_ptr<Document> document, const NavigationRequest &request,
                                    std::optional<int> historyIndex, bool keepForBack, int httpStatus,
                                    const QString &loadError)
{
    const auto self = shared_from_this();
    m_build.reset();
    // Reached from the event loop: nothing may escape into Qt.
    try {
        if (!document)
            return;
        showPage(std::move(document), request, historyIndex, keepForBack, httpStatus);
        m_loadError = loadError;
        if (m_sink)
            m_sink->documentCompleted(locationUrl());
    } catch (const std::exception &error) {
        qWarning() << "Completing the load of" << request.url << "failed:" << error.what();
    }
}

void BuiltinWindow::showPage(std::shared_ptr<Document> document, const NavigationRequest &request,
                             std::optional<int> historyIndex, bool keepForBack, int httpStatus)
{
    m_document = std::move(document);
    m_location = request.url;
    m_locationWireTarget = request.wireTarget;
    m_httpStatus = httpStatus;
    m_loadError.clear();
    auto kept = keepForBack ? m_document : nullptr;
    if (historyIndex)
        m_history.revisit(*historyIndex, request, std::move(kept), httpStatus);
    else
        m_history.push(request, std::move(kept), httpStatus);
    emit documentChanged();
}

void BuiltinWindow::openInNewWindow(const NavigationRequest &request)
{
    const std::shared_ptr<BrowserWindow> offered = m_sink ? m_sink->newWindowRequested() : nullptr;
    auto window = std::dynamic_pointer_cast<BuiltinWindow>(offered);
    if (offered && !window) {
        // A window of another browser can only be sent the address.
        offered->navigate(addressText(request.url, request.wireTarget));
        return;
    }
    if (!window || window->isClosed()) {
        ensureOpen();
        window = m_browser->openWindow();
    }
    if (!isBlankTarget(request.target))
        window->setWindowName(request.target);
    window->load(request);
}
