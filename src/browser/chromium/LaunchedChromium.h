#pragma once

#include "browser/chromium/ProfileLock.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class DevToolsTransport;

// A Chromium that NavRelay started and drives over --remote-debugging-pipe, so that no port of
// this machine lets anyone else drive it. It lives no longer than NavRelay: it ends by itself
// when the pipe closes (NavRelay ended, however it ended), and at the latest with this object.
class LaunchedChromium {
public:
    // A Chromium told to close (Browser.close) is given this long to go before it is killed.
    static constexpr int kCloseTimeoutMs = 5000;

    // Starts the program with the protocol's pipes on its descriptors 3 (commands) and 4 (replies
    // and events), and no signal held back. The profile's lock, or a throwaway profile, is
    // let go of once the browser has ended. Throws ScriptError (53, "File not found") when the
    // program cannot be started.
    LaunchedChromium(const QString &program, const QStringList &arguments, ProfileLock profileLock,
                     std::unique_ptr<QTemporaryDir> throwawayProfile = {});
    ~LaunchedChromium();
    LaunchedChromium(const LaunchedChromium &) = delete;
    LaunchedChromium &operator=(const LaunchedChromium &) = delete;

    // The browser's end of the protocol; null once taken.
    [[nodiscard]] std::unique_ptr<DevToolsTransport> takeTransport();

private:
    ProfileLock m_profileLock; // outlives the process
    std::unique_ptr<QTemporaryDir> m_throwawayProfile; // outlives the process
    QProcess m_process;
    std::unique_ptr<DevToolsTransport> m_transport;
};
