#include "cli/RunOptions.h"

#include "browser/builtin/net/ProxySettings.h"
#include "engine/ElementWait.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

std::optional<int> wholeNumber(const QString &text, int minimum, int maximum)
{
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok || number < minimum || number > maximum)
        return std::nullopt;
    return number;
}

// The options navrelay-run knows, with the help text of each.
struct RunParser {
    QCommandLineParser parser;
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Shows this help and exits.")};
    QCommandLineOption version{QStringLiteral("version"), QStringLiteral("Shows the version and the source revision, and exits.")};
    QCommandLineOption browser{QStringLiteral("browser"), QStringLiteral("The browser: builtin (the default) or chromium."),
                               QStringLiteral("builtin|chromium")};
    QCommandLineOption variable{QStringLiteral("var"),
                                QStringLiteral("The text of every \"$$$\" in the script (every user of this computer sees it "
                                               "in the process list: prefer --var-env or --var-file)."),
                                QStringLiteral("TEXT")};
    QCommandLineOption variableEnvironment{QStringLiteral("var-env"),
                                           QStringLiteral("The text of every \"$$$\" is the value of this environment variable."),
                                           QStringLiteral("NAME")};
    QCommandLineOption variableFile{QStringLiteral("var-file"),
                                    QStringLiteral("The text of every \"$$$\" is the first line of this file."), QStringLiteral("FILE")};
    QCommandLineOption tick{QStringLiteral("tick"), QStringLiteral("Milliseconds between lines (default 50; 0: as fast as the waits allow)."),
                            QStringLiteral("MS")};
    QCommandLineOption timeout{QStringLiteral("timeout"), QStringLiteral("Seconds the whole run may take (default 300)."), QStringLiteral("SECONDS")};
    QCommandLineOption elementWait{QStringLiteral("element-wait"),
                                   QStringLiteral("Seconds a line waits for the link, field, button or element it acts on to "
                                                  "come and, on Chromium, to be shown and enabled (default 10 on chromium, 0 on "
                                                  "builtin; 0: no wait)."),
                                   QStringLiteral("SECONDS")};
    QCommandLineOption devtools{QStringLiteral("devtools"),
                                QStringLiteral("A running Chromium to attach to, by its DevTools port or browser endpoint "
                                               "(implies --browser chromium; without it, NavRelay starts its own over a pipe)."),
                                QStringLiteral("HOST:PORT|ws://...")};
    QCommandLineOption chromium{QStringLiteral("chromium"), QStringLiteral("The Chromium program NavRelay starts."),
                                QStringLiteral("PATH")};
    QCommandLineOption proxy{QStringLiteral("proxy"),
                             QStringLiteral("The proxy every page goes through, on either browser: http://, https:// or "
                                            "socks5://, with USER:PASSWORD@ when it asks for them (default: http_proxy, "
                                            "https_proxy and no_proxy)."),
                             QStringLiteral("URL")};
    QCommandLineOption insecure{QStringLiteral("insecure"),
                                QStringLiteral("Loads pages over TLS without checking the server's certificate, on either browser "
                                               "(for a test server with a certificate of its own; never on a network you do not trust).")};
    QCommandLineOption isolated{QStringLiteral("isolated"),
                                QStringLiteral("With --browser chromium: a Chromium of this run's own, on a temporary profile "
                                               "removed at exit, so parallel runs share nothing.")};
    QCommandLineOption show{QStringLiteral("show"), QStringLiteral("Shows the built-in engine's windows.")};
    QCommandLineOption verbose{QStringLiteral("verbose"), QStringLiteral("Prints every status text and beep.")};
    QCommandLineOption strict{QStringLiteral("strict"),
                              QStringLiteral("Halts on an unknown command word, on a link, button, field or element that is not "
                                             "found, and on a page that does not load or comes with an HTTP status of 400 or more.")};
    QCommandLineOption report{QStringLiteral("report"),
                              QStringLiteral("Writes JSON Lines: a run record (script, SHA-256, engine, versions, start, options), "
                                             "one record per executed line (at most 10,000), then a summary."),
                              QStringLiteral("FILE")};
    QCommandLineOption junit{QStringLiteral("junit"),
                             QStringLiteral("Writes the run's outcome as JUnit XML (a path that cannot be written is an error "
                                            "before the run)."),
                             QStringLiteral("FILE")};
    QCommandLineOption evidence{QStringLiteral("evidence"),
                                QStringLiteral("When the run halts, times out, parks or has failed loads, keeps the page's HTML, "
                                               "address and picture and the script with the failing line marked, in files "
                                               "named after the script and the run."),
                                QStringLiteral("DIR")};
    QCommandLineOption record{QStringLiteral("record"),
                              QStringLiteral("Opens Chromium in a window (a display is needed) on URL or an empty page and writes "
                                             "what you do there (addresses typed, clicks, fields filled, Back) to FILE as script "
                                             "lines, until the browser is closed or Ctrl+C is pressed."),
                              QStringLiteral("FILE")};
    QCommandLineOption recordPasswords{QStringLiteral("record-passwords"),
                                       QStringLiteral("With --record: writes what is typed into password fields instead of $$$ "
                                                      "(which the run asks for).")};
    QCommandLineOption jobs{QStringLiteral("jobs"),
                            QStringLiteral("Runs N scripts or rows at once, each in a process and a browser of its own "
                                           "(default: the number of cores on the built-in engine; on Chromium 1, or the "
                                           "number of cores with --isolated)."),
                            QStringLiteral("N")};
    QCommandLineOption shard{QStringLiteral("shard"),
                             QStringLiteral("Runs the I-th of N slices of the runs (scripts in the order given, folders "
                                            "sorted, each row of --data a run): N processes given the same arguments run "
                                            "every run exactly once."),
                             QStringLiteral("I/N")};
    QCommandLineOption retries{QStringLiteral("retries"),
                               QStringLiteral("Runs a run that ends with exit status 2, 3 or 4 again from its first line "
                                              "with a fresh browser, up to N times; one that passes on a retry is flaky."),
                               QStringLiteral("N")};
    QCommandLineOption data{QStringLiteral("data"),
                            QStringLiteral("Runs each script once per row of this CSV file (RFC 4180, its first line names "
                                           "the columns), \"$$$\" being the row's field of --data-column."),
                            QStringLiteral("FILE.csv")};
    QCommandLineOption dataColumn{QStringLiteral("data-column"),
                                  QStringLiteral("The column of --data that gives \"$$$\" (default: the first)."),
                                  QStringLiteral("NAME")};
    QCommandLineOption htmlReport{QStringLiteral("html-report"),
                                  QStringLiteral("Writes DIR/index.html: every run with its lines (time, wait, outcome, "
                                                 "address), the failing line marked and the picture of its page, in one "
                                                 "file that opens from the file system; the evidence goes to DIR/evidence "
                                                 "unless --evidence names a folder."),
                                  QStringLiteral("DIR")};
    QCommandLineOption trace{QStringLiteral("trace"),
                             QStringLiteral("With --html-report or --evidence: keeps a picture of the page after every "
                                            "navigation, of passing runs too.")};
    QCommandLineOption check{QStringLiteral("check"),
                             QStringLiteral("Checks the scripts without running them and prints FILE:LINE: message for each finding.")};

    RunParser()
    {
        parser.setApplicationDescription(QStringLiteral("Runs a NavRelay script on the built-in engine or on Chromium."));
        parser.addOptions({help, version, browser, variable, variableEnvironment, variableFile, tick, timeout, elementWait, devtools, chromium,
                           proxy, insecure, isolated, show, verbose, strict, report, junit, evidence, record, recordPasswords, check,
                           jobs, shard, retries, data, dataColumn, htmlReport, trace});
        parser.addPositionalArgument(QStringLiteral("SCRIPT"), QStringLiteral("The script file, or - for standard input; "
                                                                               "several scripts or folders (their *.nrs "
                                                                               "and *.txt files) run as a suite; "
                                                                               "with --check, one or more script files; "
                                                                               "with --record, the address to open first (optional)."));
    }
};

// The first line of the file, without its line break.
std::optional<QString> firstLine(const QString &path, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return std::nullopt;
    }
    QByteArray line = file.readLine(64 * 1024);
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return QString::fromLocal8Bit(line);
}

// The text of "$$$", from the one option that gives it; the text of what is wrong.
QString readVariable(const RunParser &run, RunOptions &options)
{
    const QCommandLineParser &parser = run.parser;
    const int given = int(parser.isSet(run.variable)) + int(parser.isSet(run.variableEnvironment)) + int(parser.isSet(run.variableFile));
    if (given > 1)
        return QStringLiteral("--var, --var-env and --var-file each give the text of \"$$$\": give one of them");
    if (parser.isSet(run.variable)) {
        options.variable = parser.value(run.variable);
        options.variableSource = QStringLiteral("--var");
    } else if (parser.isSet(run.variableEnvironment)) {
        const QString name = parser.value(run.variableEnvironment);
        if (!qEnvironmentVariableIsSet(name.toLocal8Bit().constData()))
            return QStringLiteral("--var-env: the environment variable %1 is not set").arg(name);
        options.variable = qEnvironmentVariable(name.toLocal8Bit().constData());
        options.variableSource = QStringLiteral("--var-env %1").arg(name);
    } else if (parser.isSet(run.variableFile)) {
        const QString path = parser.value(run.variableFile);
        QString error;
        options.variable = firstLine(path, error);
        if (!options.variable)
            return QStringLiteral("--var-file: cannot read %1: %2").arg(path, error);
        options.variableSource = QStringLiteral("--var-file %1").arg(path);
    }
    return {};
}

// Reads the option values into the options; the text of the first wrong one.
QString readValues(const RunParser &run, RunOptions &options)
{
    const QCommandLineParser &parser = run.parser;
    if (parser.isSet(run.browser)) {
        const QString value = parser.value(run.browser);
        if (value == QLatin1String("builtin"))
            options.browser = RunOptions::BrowserKind::Builtin;
        else if (value == QLatin1String("chromium"))
            options.browser = RunOptions::BrowserKind::Chromium;
        else
            return QStringLiteral("unknown browser: %1").arg(value);
    }
    if (const QString error = readVariable(run, options); !error.isEmpty())
        return error;
    if (parser.isSet(run.tick)) {
        const auto tick = wholeNumber(parser.value(run.tick), 0, 3600000);
        if (!tick)
            return QStringLiteral("--tick takes milliseconds from 0: %1").arg(parser.value(run.tick));
        options.tickMs = *tick;
    }
    if (parser.isSet(run.timeout)) {
        const auto timeout = wholeNumber(parser.value(run.timeout), 1, 2000000);
        if (!timeout)
            return QStringLiteral("--timeout takes seconds from 1: %1").arg(parser.value(run.timeout));
        options.timeoutSeconds = *timeout;
    }
    if (parser.isSet(run.elementWait)) {
        const auto waitMs = elementWaitMs(parser.value(run.elementWait));
        if (!waitMs)
            return QStringLiteral("--element-wait takes seconds from 0 to %1: %2")
                .arg(ElementWait::kMaxSeconds)
                .arg(parser.value(run.elementWait));
        options.elementWaitMs = *waitMs;
    }
    if (parser.isSet(run.devtools)) {
        const auto address = DevToolsAddress::parse(parser.value(run.devtools));
        if (!address)
            return QStringLiteral("--devtools takes HOST:PORT or ws://...: %1").arg(parser.value(run.devtools));
        if (parser.isSet(run.browser) && options.browser != RunOptions::BrowserKind::Chromium)
            return QStringLiteral("--devtools attaches to a Chromium: it cannot go with --browser builtin");
        options.devtools = *address;
        options.browser = RunOptions::BrowserKind::Chromium;
    }
    options.chromiumPath = parser.value(run.chromium);
    if (parser.isSet(run.proxy)) {
        if (!ProxySettings::single(parser.value(run.proxy)))
            return QStringLiteral("--proxy takes http://, https:// or socks5://HOST:PORT: %1").arg(parser.value(run.proxy));
        options.proxy = parser.value(run.proxy);
    }
    options.insecure = parser.isSet(run.insecure);
    options.show = parser.isSet(run.show);
    options.verbose = parser.isSet(run.verbose);
    options.strict = parser.isSet(run.strict);
    options.isolated = parser.isSet(run.isolated);
    if (options.isolated && (options.browser != RunOptions::BrowserKind::Chromium || options.devtools))
        return QStringLiteral("--isolated needs --browser chromium and no --devtools");
    options.reportPath = parser.value(run.report);
    options.junitPath = parser.value(run.junit);
    options.evidenceDir = parser.value(run.evidence);
    return {};
}

// A recording shows its own Chromium: the options of a run on another browser do not apply.
ParsedOptions recordOptions(const RunParser &run, RunOptions options)
{
    const QCommandLineParser &parser = run.parser;
    if (parser.isSet(run.check))
        return {std::nullopt, QStringLiteral("--record and --check cannot be combined")};
    if ((parser.isSet(run.browser) && options.browser != RunOptions::BrowserKind::Chromium) || options.devtools)
        return {std::nullopt, QStringLiteral("--record starts a Chromium of its own: no --browser builtin or --devtools")};
    if (options.scriptPaths.size() > 1)
        return {std::nullopt, QStringLiteral("--record opens one address: %1").arg(options.scriptPaths.at(1))};
    options.task = RunOptions::Task::Record;
    options.browser = RunOptions::BrowserKind::Chromium;
    options.recordPath = parser.value(run.record);
    options.recordPasswords = parser.isSet(run.recordPasswords);
    options.startUrl = options.scriptPaths.value(0);
    options.scriptPaths.clear();
    return {options, QString()};
}

// The options each run of a suite is started with: those given, but for the ones the suite
// itself answers, and without the scripts. Any option that takes a value is followed by it.
QStringList runArgumentsOf(const QStringList &arguments, const QCommandLineParser &parser)
{
    static const QStringList suiteOwn = {QStringLiteral("jobs"),        QStringLiteral("shard"),  QStringLiteral("retries"),
                                         QStringLiteral("data"),        QStringLiteral("data-column"),
                                         QStringLiteral("html-report"), QStringLiteral("trace"),  QStringLiteral("report"),
                                         QStringLiteral("junit"),       QStringLiteral("evidence")};
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size() && arguments.at(i) != QLatin1String("--"); ++i) {
        const QString &argument = arguments.at(i);
        if (!argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-"))
            continue; // a script
        const QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1).section(QLatin1Char('='), 0, 0);
        const bool own = suiteOwn.contains(name);
        const bool valueFollows = !argument.contains(QLatin1Char('=')) && !parser.values(name).isEmpty();
        if (!own)
            kept << argument;
        if (valueFollows && i + 1 < arguments.size()) {
            if (!own)
                kept << arguments.at(i + 1);
            ++i;
        }
    }
    return kept;
}

bool hasFolder(const QStringList &paths)
{
    return std::any_of(paths.begin(), paths.end(), [](const QString &path) { return QFileInfo(path).isDir(); });
}

// "I/N", 1 <= I <= N.
bool readShard(const QString &text, RunOptions &options)
{
    const QStringList parts = text.split(QLatin1Char('/'));
    if (parts.size() != 2)
        return false;
    const auto count = wholeNumber(parts.at(1), 1, 100000);
    const auto index = count ? wholeNumber(parts.at(0), 1, *count) : std::nullopt;
    if (!index)
        return false;
    options.shardIndex = *index;
    options.shardCount = *count;
    return true;
}

// Reads what makes the run a suite; the text of the first wrong option.
QString readSuiteValues(const RunParser &run, RunOptions &options)
{
    const QCommandLineParser &parser = run.parser;
    if (parser.isSet(run.jobs)) {
        const auto jobs = wholeNumber(parser.value(run.jobs), 1, 256);
        if (!jobs)
            return QStringLiteral("--jobs takes a number from 1 to 256: %1").arg(parser.value(run.jobs));
        options.jobs = *jobs;
    }
    if (parser.isSet(run.shard) && !readShard(parser.value(run.shard), options))
        return QStringLiteral("--shard takes I/N, 1 <= I <= N: %1").arg(parser.value(run.shard));
    if (parser.isSet(run.retries)) {
        const auto retries = wholeNumber(parser.value(run.retries), 0, 100);
        if (!retries)
            return QStringLiteral("--retries takes a number from 0 to 100: %1").arg(parser.value(run.retries));
        options.retries = *retries;
    }
    options.dataPath = parser.value(run.data);
    options.dataColumn = parser.value(run.dataColumn);
    if (parser.isSet(run.dataColumn) && !parser.isSet(run.data))
        return QStringLiteral("--data-column needs --data");
    if (parser.isSet(run.data) && options.variable)
        return QStringLiteral("--data gives the text of \"$$$\": it cannot go with --var, --var-env or --var-file");
    options.htmlReportDir = parser.value(run.htmlReport);
    options.trace = parser.isSet(run.trace);
    if (options.trace && options.htmlReportDir.isEmpty() && options.evidenceDir.isEmpty())
        return QStringLiteral("--trace needs --html-report or --evidence");
    options.suite = options.scriptPaths.size() > 1 || hasFolder(options.scriptPaths) || parser.isSet(run.data)
        || parser.isSet(run.retries) || parser.isSet(run.jobs) || parser.isSet(run.shard) || parser.isSet(run.htmlReport);
    if (options.suite && options.scriptPaths.contains(QStringLiteral("-")))
        return QStringLiteral("a suite runs script files: standard input (-) cannot be one of them");
    if (options.jobs > 1 && options.devtools)
        return QStringLiteral("--devtools attaches every run to one browser: it cannot go with --jobs above 1");
    return {};
}

bool hasSuiteOption(const RunParser &run)
{
    const QCommandLineOption *const suiteOptions[] = {&run.jobs, &run.shard,       &run.retries,   &run.data,
                                                      &run.dataColumn, &run.htmlReport, &run.trace};
    return std::any_of(std::begin(suiteOptions), std::end(suiteOptions),
                       [&run](const QCommandLineOption *option) { return run.parser.isSet(*option); });
}

} // namespace

QJsonObject optionsRecord(const RunOptions &options)
{
    QJsonObject record{{QStringLiteral("browser"),
                        options.browser == RunOptions::BrowserKind::Chromium ? QStringLiteral("chromium") : QStringLiteral("builtin")},
                       {QStringLiteral("tick_ms"), options.tickMs},
                       {QStringLiteral("timeout_s"), options.timeoutSeconds},
                       {QStringLiteral("element_wait_ms"), elementWaitMsOf(options)},
                       {QStringLiteral("strict"), options.strict},
                       {QStringLiteral("show"), options.show},
                       {QStringLiteral("verbose"), options.verbose},
                       {QStringLiteral("isolated"), options.isolated},
                       {QStringLiteral("insecure"), options.insecure}};
    if (!options.variableSource.isEmpty())
        record.insert(QStringLiteral("variable"), options.variableSource);
    if (options.devtools)
        record.insert(QStringLiteral("devtools"), options.devtools->socketUrl.isEmpty() ? options.devtools->displayText()
                                                                                         : options.devtools->socketUrl.toString());
    const std::pair<const char *, const QString &> paths[] = {{"chromium", options.chromiumPath},
                                                             {"report", options.reportPath},
                                                             {"junit", options.junitPath},
                                                             {"evidence", options.evidenceDir}};
    for (const auto &[name, path] : paths) {
        if (!path.isEmpty())
            record.insert(QLatin1String(name), path);
    }
    return record;
}

qint64 elementWaitMsOf(const RunOptions &options)
{
    if (options.elementWaitMs)
        return *options.elementWaitMs;
    return options.browser == RunOptions::BrowserKind::Chromium ? ElementWait::kChromiumDefaultMs : ElementWait::kBuiltinDefaultMs;
}

QString runUsage()
{
    return QStringLiteral("usage: navrelay-run [options] SCRIPT|DIR... | --check SCRIPT... | --record FILE [URL] | --help | --version\n");
}

QString runHelp()
{
    return RunParser().parser.helpText()
        + QStringLiteral("\nExit status:\n"
                         "  0  the run finished and the page its last line started arrived, or a\n"
                         "     conditional stopscript ended it\n"
                         "  1  bad arguments, an unreadable or refused script (more than 32,767 lines,\n"
                         "     a line over 1 MB, 64 MB in all), a report file that cannot be written,\n"
                         "     \"$$$\" with no text and no terminal to ask, or no browser\n"
                         "  2  a script error or a failed assert, refute or waitfor halted the run, or\n"
                         "     with --strict a failed lookup (after the element wait), a failed load\n"
                         "     or an HTTP status >= 400\n"
                         "  3  the run could not finish: parked on an empty line, still waiting,\n"
                         "     sleeping or running at --timeout, or stopped by SIGTERM, SIGINT or SIGHUP\n"
                         "  4  the run finished, but page loads failed (each is listed)\n"
                         "A suite (several scripts or a folder, --data, --jobs, --shard, --retries or\n"
                         "--html-report) runs each run in a process of its own, prints a table of them\n"
                         "and exits with the worst status of its runs: 1, then 2, 3, 4, 0; a run that\n"
                         "passed on a retry counts as passed. A suite stopped by a signal leaves the runs\n"
                         "not yet started at 3.\n"
                         "With --check: 0 no findings (notes aside), 1 findings or an unreadable script.\n"
                         "With --record: 0 the browser was closed, 1 the file cannot be written or\n"
                         "Chromium cannot be started, 2 there is no display to show the browser on.\n");
}

ParsedOptions parseRunOptions(const QStringList &arguments)
{
    RunParser run;
    if (!run.parser.parse(QStringList{QStringLiteral("navrelay-run")} + arguments))
        return {std::nullopt, run.parser.errorText()};
    RunOptions options;
    if (run.parser.isSet(run.help)) {
        options.task = RunOptions::Task::Help;
        return {options, QString()};
    }
    if (run.parser.isSet(run.version)) {
        options.task = RunOptions::Task::Version;
        return {options, QString()};
    }
    if (const QString error = readValues(run, options); !error.isEmpty())
        return {std::nullopt, error};
    options.scriptPaths = run.parser.positionalArguments();
    if ((run.parser.isSet(run.record) || run.parser.isSet(run.check)) && hasSuiteOption(run))
        return {std::nullopt, QStringLiteral("--jobs, --shard, --retries, --data, --html-report and --trace are for runs: "
                                             "not with --check or --record")};
    if (run.parser.isSet(run.record))
        return recordOptions(run, options);
    if (run.parser.isSet(run.recordPasswords))
        return {std::nullopt, QStringLiteral("--record-passwords needs --record")};
    if (run.parser.isSet(run.check)) {
        options.task = RunOptions::Task::Check;
        if (options.scriptPaths.isEmpty())
            return {std::nullopt, QStringLiteral("no script named")};
        return {options, QString()};
    }
    if (options.scriptPaths.isEmpty())
        return {std::nullopt, QStringLiteral("no script named")};
    if (const QString error = readSuiteValues(run, options); !error.isEmpty())
        return {std::nullopt, error};
    options.runArguments = runArgumentsOf(arguments, run.parser);
    return {options, QString()};
}
