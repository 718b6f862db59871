#include "browser/BrowserConnection.h"

#include "browser/Browser.h"
#include "engine/Host.h"
#include "engine/RunState.h"
#include "engine/ScriptError.h"
#include "page/CurrentDoc.h"
#include "page/Document.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

#include <optional>

namespace {

// Lets the browser's own events through while a window finishes loading.
void letEventsThrough(int milliseconds)
{
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, milliseconds);
}

bool showsHtmlDocument(BrowserWindow &window)
{
    try {
        const auto document = window.document();
        return document && document->kind() == DocumentKind::Html;
    } catch (const ScriptError &) {
        return false;
    }
}

bool isBusy(BrowserWindow &window)
{
    try {
        return window.isBusy();
    } catch (const ScriptError &) {
        return false;
    }
}

} // namespace

BrowserConnection::BrowserConnection(Browser &browser, Host &host, RunState &state, std::function<void()> reset,
                                     std::function<void()> pageCompleted)
    : m_browser(browser)
    , m_host(host)
    , m_state(state)
    , m_reset(std::move(reset))
    , m_pageCompleted(std::move(pageCompleted))
{
}

BrowserConnection::~BrowserConnection()
{
    detach();
}

BrowserWindow &BrowserConnection::window()
{
    if (!m_attached)
        throw ScriptError(ObjectNotSet);
    return *m_attached;
}

void BrowserConnection::attachBrowser()
{
    detach();
    m_reset();
    // The pause lets closed windows go; with nothing closed there is nothing to wait for.
    if (closeOtherShellWindows())
        sleepFor(m_host, kPauseAfterClosingMs);

    bool started = false;
    std::optional<QDeadlineTimer> busyWait;
    for (int tries = 0; tries < kSearches;) {
        auto window = findHtmlWindow();
        if (window && isBusy(*window)) {
            if (!busyWait)
                busyWait.emplace(kBusyWaitLimitMs);
            if (!busyWait->hasExpired()) {
                letEventsThrough(50);
                continue; // the busy window is looked at again, without a pause or a try counted
            }
        }
        if (window) {
            attach(std::move(window));
            return;
        }
        if (!started) {
            if (!startBrowserProgram())
                return;
            started = true;
        }
        sleepFor(m_host, kPauseAfterSearchMs);
        ++tries;
    }
    m_host.messageBox(QStringLiteral("%1 can not be located.").arg(m_browser.programName()),
                      QStringLiteral("NavRelay"));
}

bool BrowserConnection::closeOtherShellWindows()
{
    bool closedAny = false;
    for (int pass = 0; pass < kClosingPasses; ++pass) {
        for (const auto &window : m_browser.windows()) {
            try {
                if (window->name() != m_browser.browserName()) {
                    closedAny = true;
                    window->quit();
                }
            } catch (const ScriptError &) {
            }
        }
    }
    return closedAny;
}

std::shared_ptr<BrowserWindow> BrowserConnection::findHtmlWindow()
{
    for (auto &window : m_browser.windows()) {
        if (showsHtmlDocument(*window))
            return window;
    }
    return nullptr;
}

bool BrowserConnection::startBrowserProgram()
{
    try {
        m_browser.startProgram();
        return true;
    } catch (const ScriptError &) {
        return false; // the program cannot be started: the attach ends without a browser
    }
}

void BrowserConnection::attach(std::shared_ptr<BrowserWindow> window)
{
    m_attached = std::move(window);
    try {
        m_attached->setEventSink(this);
        m_attached->setStatusText(QStringLiteral("NavRelay Successfully Attached."));
        m_browser.activateWindow(m_attached->name());
    } catch (const ScriptError &) {
    }
}

void BrowserConnection::detach()
{
    if (!m_attached)
        return;
    try {
        m_attached->setEventSink(nullptr);
    } catch (const ScriptError &) {
    }
    m_attached.reset();
}

bool BrowserConnection::pageComing() const
{
    try {
        return m_attached && (m_attached->isBusy() || m_state.waitingForPage);
    } catch (const ScriptError &) {
        return false;
    }
}

void BrowserConnection::navigationStarted(const QString &)
{
    m_state.waitingForPage = true;
}

void BrowserConnection::documentChanged()
{
    if (m_documentChanged)
        m_documentChanged();
}

void BrowserConnection::documentCompleted(const QString &)
{
    // Whatever the window shows now, the wait ends; CurrentDoc only ever holds an HTML page.
    try {
        auto document = window().document();
        CurrentDoc = document && document->kind() == DocumentKind::Html ? std::move(document) : nullptr;
    } catch (const ScriptError &) {
        CurrentDoc.reset();
    }
    m_state.waitingForPage = false;
    ++m_state.pagesCompleted;
    if (m_pageCompleted)
        m_pageCompleted();
}

std::shared_ptr<BrowserWindow> BrowserConnection::newWindowRequested()
{
    if (m_popup) {
        try {
            m_popup->quit();
        } catch (const ScriptError &) {
        }
    }
    m_popup.reset();
    try {
        m_popup = m_browser.createWindow();
    } catch (const ScriptError &) {
    }
    return m_popup;
}
