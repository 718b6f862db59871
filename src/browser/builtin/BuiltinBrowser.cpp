#include "browser/builtin/BuiltinBrowser.h"

#include "browser/builtin/BuiltinWindow.h"

#include <algorithm>

BuiltinBrowser::BuiltinBrowser(const LoadLimits &limits, QObject *parent)
    : QObject(parent)
    , m_limits(limits)
{
}

BuiltinBrowser::~BuiltinBrowser()
{
    const auto open = m_windows;
    for (const auto &window : open)
        window->close();
}

QString BuiltinBrowser::browserName() const
{
    return QString::fromLatin1(BuiltinBrowserName);
}

QString BuiltinBrowser::programName() const
{
    return QString::fromLatin1(BuiltinBrowserName);
}

std::vector<std::shared_ptr<BrowserWindow>> BuiltinBrowser::windows()
{
    return {m_windows.begin(), m_windows.end()};
}

std::shared_ptr<BrowserWindow> BuiltinBrowser::createWindow()
{
    return openWindow();
}

void BuiltinBrowser::startProgram()
{
    openWindow()->showBlankPage();
}

void BuiltinBrowser::activateWindow(const QString &title)
{
    if (title.isEmpty())
        return;
    const auto exact = std::find_if(m_windows.begin(), m_windows.end(),
                                    [&](const auto &window) { return window->title() == title; });
    const auto partial = std::find_if(m_windows.begin(), m_windows.end(), [&](const auto &window) {
        return window->title().startsWith(title) || window->title().endsWith(title);
    });
    const auto found = exact != m_windows.end() ? exact : partial;
    if (found != m_windows.end())
        emit (*found)->activationRequested();
}

std::shared_ptr<BuiltinWindow> BuiltinBrowser::openWindow()
{
    auto window = std::make_shared<BuiltinWindow>(*this);
    m_windows.push_back(window);
    emit windowOpened(window.get());
    return window;
}

std::shared_ptr<BuiltinWindow> BuiltinBrowser::windowNamed(const QString &name) const
{
    if (name.isEmpty())
        return nullptr;
    const auto found = std::find_if(m_windows.begin(), m_windows.end(),
                                    [&](const auto &window) { return window->windowName() == name; });
    return found != m_windows.end() ? *found : nullptr;
}

void BuiltinBrowser::forgetWindow(const BuiltinWindow *window)
{
    std::erase_if(m_windows, [window](const auto &open) { return open.get() == window; });
}

void BuiltinBrowser::setPersonActions(PersonActions *receiver)
{
    m_personActions = receiver;
}
