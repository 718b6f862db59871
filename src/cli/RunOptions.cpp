#include "cli/RunOptions.h"

namespace {

std::optional<int> wholeNumber(const QString &text, int minimum, int maximum)
{
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok || number < minimum || number > maximum)
        return std::nullopt;
    return number;
}

} // namespace

QString runUsage()
{
    return QStringLiteral(
        "usage: navrelay-run [--browser builtin|chromium] [--var TEXT] [--tick MS] [--timeout SECONDS]\n"
        "                    [--devtools HOST:PORT|ws://...] [--chromium PATH] [--show] [--verbose] SCRIPT\n");
}

ParsedOptions parseRunOptions(const QStringList &arguments)
{
    RunOptions options;
    bool haveScript = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const bool takesValue = argument == QLatin1String("--browser") || argument == QLatin1String("--var")
            || argument == QLatin1String("--tick") || argument == QLatin1String("--timeout")
            || argument == QLatin1String("--devtools") || argument == QLatin1String("--chromium");
        if (takesValue && i + 1 >= arguments.size())
            return {std::nullopt, QStringLiteral("%1 needs a value").arg(argument)};
        const QString value = takesValue ? arguments.at(++i) : QString();

        if (argument == QLatin1String("--browser")) {
            if (value == QLatin1String("builtin"))
                options.browser = RunOptions::BrowserKind::Builtin;
            else if (value == QLatin1String("chromium"))
                options.browser = RunOptions::BrowserKind::Chromium;
            else
                return {std::nullopt, QStringLiteral("unknown browser: %1").arg(value)};
        } else if (argument == QLatin1String("--var")) {
            options.variable = value;
        } else if (argument == QLatin1String("--tick")) {
            const auto tick = wholeNumber(value, 0, 3600000);
            if (!tick)
                return {std::nullopt, QStringLiteral("--tick takes milliseconds from 0: %1").arg(value)};
            options.tickMs = *tick;
        } else if (argument == QLatin1String("--timeout")) {
            const auto timeout = wholeNumber(value, 1, 2000000);
            if (!timeout)
                return {std::nullopt, QStringLiteral("--timeout takes seconds from 1: %1").arg(value)};
            options.timeoutSeconds = *timeout;
        } else if (argument == QLatin1String("--devtools")) {
            const auto address = DevToolsAddress::parse(value);
            if (!address)
                return {std::nullopt, QStringLiteral("--devtools takes HOST:PORT or ws://...: %1").arg(value)};
            options.devtools = address;
        } else if (argument == QLatin1String("--chromium")) {
            options.chromiumPath = value;
        } else if (argument == QLatin1String("--show")) {
            options.show = true;
        } else if (argument == QLatin1String("--verbose")) {
            options.verbose = true;
        } else if (argument.startsWith(QLatin1String("--")) || (argument.startsWith(QLatin1Char('-')) && argument != QLatin1String("-"))) {
            return {std::nullopt, QStringLiteral("unknown option: %1").arg(argument)};
        } else if (haveScript) {
            return {std::nullopt, QStringLiteral("only one script can be run: %1").arg(argument)};
        } else {
            options.scriptPath = argument;
            haveScript = true;
        }
    }
    if (!haveScript)
        return {std::nullopt, QStringLiteral("no script named")};
    return {options, QString()};
}
