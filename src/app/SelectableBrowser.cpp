#include "app/SelectableBrowser.h"

#include "browser/builtin/BuiltinBrowser.h"
#include "browser/builtin/net/ProxySettings.h"
#include "browser/builtin/view/ShowBuiltinWindows.h"
#include "browser/chromium/ChromiumBrowser.h"

#include <QSettings>

namespace {

const QString kEngineKey = QStringLiteral("Browser/Engine");
const QString kBuiltinValue = QStringLiteral("builtin");
const QString kChromiumValue = QStringLiteral("chromium");
const QString kDevToolsKey = QStringLiteral("Browser/DevTools");

ProxySettings proxySettings(const QString &proxy)
{
    return ProxySettings::single(proxy).value_or(ProxySettings::fromEnvironment());
}

} // namespace

std::unique_ptr<Browser> SelectableBrowser::createBackend(BrowserEngine engine) const
{
    if (engine == BrowserEngine::Chromium) {
        ChromiumSettings settings;
        settings.address = m_chromiumAddress;
        if (!m_proxy.isEmpty())
            settings.proxy = ProxySettings::withoutCredentials(m_proxy);
        return std::make_unique<ChromiumBrowser>(settings);
    }
    auto builtin = std::make_unique<BuiltinBrowser>();
    builtin->network().setProxy(proxySettings(m_proxy));
    showBuiltinWindows(*builtin);
    // The engine is part of this program: it is open, on an empty page, before any attach, as
    // a browser the user had started would be.
    builtin->startProgram();
    return builtin;
}

BrowserEngine storedBrowserEngine(QSettings &settings)
{
    const QString value = settings.value(kEngineKey).toString().trimmed().toLower();
    return value == kChromiumValue ? BrowserEngine::Chromium : BrowserEngine::Builtin;
}

void storeBrowserEngine(QSettings &settings, BrowserEngine engine)
{
    settings.setValue(kEngineKey, engine == BrowserEngine::Chromium ? kChromiumValue : kBuiltinValue);
    settings.sync();
}

std::optional<DevToolsAddress> storedDevToolsAddress(QSettings &settings)
{
    const QString value = settings.value(kDevToolsKey).toString().trimmed();
    return value.isEmpty() ? std::nullopt : DevToolsAddress::parse(value);
}

SelectableBrowser::SelectableBrowser(BrowserEngine engine, std::optional<DevToolsAddress> chromiumAddress, QString proxy)
    : m_engine(engine)
    , m_chromiumAddress(std::move(chromiumAddress))
    , m_proxy(std::move(proxy))
    , m_backend(createBackend(engine))
{
}

SelectableBrowser::~SelectableBrowser() = default;

std::unique_ptr<Browser> SelectableBrowser::select(BrowserEngine engine)
{
    auto previous = std::exchange(m_backend, createBackend(engine));
    m_engine = engine;
    previous->setPersonActions(nullptr);
    m_backend->setPersonActions(m_personActions);
    return previous;
}

std::vector<std::shared_ptr<BrowserWindow>> SelectableBrowser::windows()
{
    return m_backend->windows();
}

std::shared_ptr<BrowserWindow> SelectableBrowser::createWindow()
{
    return m_backend->createWindow();
}

void SelectableBrowser::startProgram()
{
    m_backend->startProgram();
}

void SelectableBrowser::activateWindow(const QString &title)
{
    m_backend->activateWindow(title);
}

void SelectableBrowser::setProxy(const QString &proxy)
{
    m_proxy = proxy;
    if (auto *builtin = dynamic_cast<BuiltinBrowser *>(m_backend.get()))
        builtin->network().setProxy(proxySettings(m_proxy));
}

void SelectableBrowser::setPersonActions(PersonActions *receiver)
{
    m_personActions = receiver;
    m_backend->setPersonActions(receiver);
}
