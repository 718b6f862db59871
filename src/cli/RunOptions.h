#pragma once

#include "browser/chromium/DevToolsEndpoint.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

// The command line of navrelay-run.
struct RunOptions {
    enum class BrowserKind { Builtin, Chromium };
    // What the program is asked to do: run one script, check scripts, record one, or tell about itself.
    enum class Task { Run, Check, Record, Help, Version };

    Task task = Task::Run;
    BrowserKind browser = BrowserKind::Builtin;
    std::optional<QString> variable; // the answer to the "$$$" prompt
    QString variableSource; // where it came from, for the report: "--var", "--var-env NAME", "--var-file FILE"
    int tickMs = 50;
    int timeoutSeconds = 300;
    std::optional<qint64> elementWaitMs; // how long a line waits for its element; unset: the browser's default
    std::optional<DevToolsAddress> devtools; // a browser the user started, to attach to
    QString chromiumPath;
    QString proxy; // the proxy every load goes through, as --proxy gives it; empty: the environment's
    bool insecure = false; // servers' certificates go unchecked
    bool show = false;
    bool verbose = false;
    bool strict = false;
    bool isolated = false; // a Chromium of its own on a temporary profile
    QString reportPath;  // JSON Lines, one object per executed line and a summary
    QString junitPath;   // JUnit XML
    QString evidenceDir; // what a failed run leaves for a look afterwards
    QStringList scriptPaths; // one to run, or those to check; "-" for standard input
    QString recordPath;      // the script file a recording writes
    QString startUrl;        // the page a recording opens first; empty: an empty page
    bool recordPasswords = false; // a recording writes what is typed into password fields

    // A suite: several scripts or folders of them, the rows of a data file, tries again.
    bool suite = false;
    int jobs = 0; // runs at once; 0: as many as cores on the built-in engine, on Chromium one unless isolated
    int shardIndex = 1; // this process runs the shardIndex-th of shardCount slices, from 1
    int shardCount = 1;
    int retries = 0; // times a failed run is tried again
    QString dataPath; // a CSV file: the script runs once per row
    QString dataColumn; // the column that gives "$$$"; empty: the first
    QString htmlReportDir;
    bool trace = false; // a picture of the page after every navigation
    QStringList runArguments; // the options each run of a suite is started with
};

// The options, or the text of what is wrong with the arguments.
struct ParsedOptions {
    std::optional<RunOptions> options;
    QString error;
};

// The element wait a run on these options uses: the option's, or the browser's default.
[[nodiscard]] qint64 elementWaitMsOf(const RunOptions &options);
// Reads the arguments that follow the program's name.
[[nodiscard]] ParsedOptions parseRunOptions(const QStringList &arguments);
// What the options ask for, as a run's report records it: never the text of "$$$".
[[nodiscard]] QJsonObject optionsRecord(const RunOptions &options);
// The options and exit statuses, as --help prints them.
[[nodiscard]] QString runHelp();
// The one line a wrong command line is followed by.
[[nodiscard]] QString runUsage();
