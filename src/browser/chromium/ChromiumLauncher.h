#pragma once

#include "browser/chromium/LaunchedChromium.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// What the command line of a started Chromium depends on besides its profile.
struct LaunchEnvironment {
    bool hasDisplay = false; // an X11 or Wayland display to open windows on
    bool isRoot = false;     // Chromium's sandbox refuses to run as root
    QString proxy;           // the proxy pages go through; empty: the environment's
    bool insecure = false;   // certificate errors are ignored

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

// The command line (without the program) that starts Chromium driven over its DevTools pipe,
// with its profile in the folder, showing an empty page.
[[nodiscard]] QStringList chromiumArguments(const QString &profileFolder, const LaunchEnvironment &environment);

// The process of this machine that holds the profile, as Chromium's profile lock names it.
[[nodiscard]] std::optional<qint64> chromiumOfProfile(const QString &profileFolder);

// Starts Chromium in the profile folder, made (or kept) readable by its owner only, holding the
// folder's lock while it lives. While another NavRelay process holds that lock, or another
// Chromium runs on the profile, a new one would hand its command line to it and end: it gets a
// throwaway profile instead. Throws ScriptError (53, "File not
// found") when no Chromium program is found or it cannot be started.
[[nodiscard]] std::unique_ptr<LaunchedChromium> launchChromium(const QString &givenPath, const QString &profileFolder,
                                                               const QString &proxy = {}, bool insecure = false);
