#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the command line of a started Chromium depends on besides its port and profile.
struct LaunchEnvironment {
    bool hasDisplay = false; // an X11 or Wayland display to open windows on
    bool isRoot = false;     // Chromium's sandbox refuses to run as root

    [[nodiscard]] static LaunchEnvironment current();
};

// The program names looked for on PATH, in order.
inline const QStringList kChromiumProgramNames = {QStringLiteral("chromium"), QStringLiteral("chromium-browser"),
                                                  QStringLiteral("google-chrome")};

// The Chromium program to start: the given path when it names an executable file, else the
// first of kChromiumProgramNames found in the search paths (PATH when empty); empty when none.
[[nodiscard]] QString findChromiumProgram(const QString &givenPath, const QStringList &searchPaths = {});

// NavRelay's own Chromium profile folder, under the per-user data folder.
[[nodiscard]] QString defaultChromiumProfileFolder();

// The command line (without the program) that starts Chromium with its DevTools endpoint on
// the port and its profile in the folder, showing an empty page.
[[nodiscard]] QStringList chromiumArguments(int port, const QString &profileFolder,
                                            const LaunchEnvironment &environment);

// The process of this machine that holds the profile, as Chromium's profile lock names it.
[[nodiscard]] std::optional<qint64> chromiumOfProfile(const QString &profileFolder);

// Starts Chromium detached, so that it stays open when NavRelay ends; returns its process id.
// A Chromium still closing in the same profile is waited for (up to kProfileReleaseTimeoutMs):
// a new one would hand its command line to it and end. Throws ScriptError (53, "File not
// found") when no Chromium program is found or it cannot be started.
inline constexpr int kProfileReleaseTimeoutMs = 5000;
qint64 launchChromium(const QString &givenPath, int port, const QString &profileFolder);
