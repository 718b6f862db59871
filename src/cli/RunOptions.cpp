#include "browser/builtin/net/ProxySettings.h"
#include "cli/RunOptions.h"

#include <QCommandLineParser>
#include <QFile>

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
    QCommandLineOption check{QStringLiteral("check"),
                             QStringLiteral("Checks the scripts without running them and prints FILE:LINE: message for each finding.")};

    RunParser()
    {
        parser.setApplicationDescription(QStringLiteral("Runs a NavRelay script on the built-in engine or on Chromium."));
        parser.addOptions({help, version, browser, variable, variableEnvironment, variableFile, tick, timeout, devtools, chromium,
                           proxy, insecure, isolated, show, verbose, strict, report, junit, evidence, record, recordPasswords, check});
        parser.addPositionalArgument(QStringLiteral("SCRIPT"), QStringLiteral("The script file, or - for standard input; "
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

} // namespace

QJsonObject optionsRecord(const RunOptions &options)
{
    QJsonObject record{{QStringLiteral("browser"),
                        options.browser == RunOptions::BrowserKind::Chromium ? QStringLiteral("chromium") : QStringLiteral("builtin")},
                       {QStringLiteral("tick_ms"), options.tickMs},
                       {QStringLiteral("timeout_s"), options.timeoutSeconds},
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

QString runUsage()
{
    return QStringLiteral("usage: navrelay-run [options] SCRIPT | --check SCRIPT... | --record FILE [URL] | --help | --version\n");
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
                         "     with --strict a failed lookup, a failed load or an HTTP status >= 400\n"
                         "  3  the run could not finish: parked on an empty line, still waiting,\n"
                         "     sleeping or running at --timeout, or stopped by SIGTERM, SIGINT or SIGHUP\n"
                         "  4  the run finished, but page loads failed (each is listed)\n"
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
    if (options.scriptPaths.size() > 1)
        return {std::nullopt, QStringLiteral("only one script can be run: %1").arg(options.scriptPaths.at(1))};
    return {options, QString()};
}
