#pragma once

#include "browser/chromium/DevToolsEndpoint.h"

#include <QString>
#include <QStringList>

#include <optional>

// The command line of navrelay-run.
struct RunOptions {
    enum class BrowserKind { Builtin, Chromium };

    BrowserKind browser = BrowserKind::Builtin;
    std::optional<QString> variable; // the answer to the "$$$" prompt
    int tickMs = 50;
    int timeoutSeconds = 300;
    std::optional<DevToolsAddress> devtools; // a browser the user started, to attach to
    QString chromiumPath;
    bool show = false;
    bool verbose = false;
    QString scriptPath; // "-" for standard input
};

// The options, or the text of what is wrong with the arguments.
struct ParsedOptions {
    std::optional<RunOptions> options;
    QString error;
};

[[nodiscard]] ParsedOptions parseRunOptions(const QStringList &arguments);
[[nodiscard]] QString runUsage();
