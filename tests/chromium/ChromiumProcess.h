#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A headless Chromium that the test started as a user would, with a DevTools port it picks
// itself, in a throwaway profile; its whole process group is killed at the end.
class ChromiumProcess {
public:
    static constexpr auto kProgram = "/usr/bin/chromium";
    static constexpr int kStartTimeoutMs = 30000;

    [[nodiscard]] static bool installed();

    ChromiumProcess();
    ~ChromiumProcess();
    ChromiumProcess(const ChromiumProcess &) = delete;
    ChromiumProcess &operator=(const ChromiumProcess &) = delete;

    // 0 when Chromium did not come up.
    [[nodiscard]] int port() const { return m_port; }
    [[nodiscard]] QString profile() const { return m_profile.path(); }
    // The browser's own WebSocket path ("/devtools/browser/...").
    [[nodiscard]] const QString &socketPath() const { return m_socketPath; }
    // Kills Chromium and every process it started, at once.
    void kill();

private:
    QTemporaryDir m_profile;
    QProcess m_process;
    int m_port = 0;
    QString m_socketPath;
};
