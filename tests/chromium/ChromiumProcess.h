#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A headless Chromium of the test's own: a throwaway profile, a DevTools port it picks itself,
// and its whole process group killed at the end.
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
    // Kills Chromium and every process it started, at once.
    void kill();

private:
    QTemporaryDir m_profile;
    QProcess m_process;
    int m_port = 0;
};

// Kills a detached process and its group (a Chromium started by the product itself).
void killProcessGroupOf(qint64 pid);
