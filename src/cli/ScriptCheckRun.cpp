#include "cli/ScriptCheckRun.h"

#include "cli/ErrorOutput.h"
#include "cli/RunOptions.h"
#include "cli/ScriptSource.h"
#include "engine/ScriptCheck.h"
#include "engine/ScriptText.h"

#include <cstdio>

namespace {

void printFinding(const QString &path, int line, const QString &message)
{
    std::printf("%s:%d: %s\n", scriptSourceName(path).toLocal8Bit().constData(), line, message.toLocal8Bit().constData());
}

} // namespace

int checkScripts(const RunOptions &options)
{
    const QDeadlineTimer deadline{std::chrono::seconds(options.timeoutSeconds)};
    int findings = 0;
    bool unreadable = false;
    for (const QString &path : options.scriptPaths) {
        const ScriptSource script = readScriptSource(path, deadline);
        if (script.outcome == ScriptSource::Outcome::Refused) {
            ++findings;
            printFinding(path, script.line, QStringLiteral("%1: navrelay-run refuses the script").arg(script.problem));
            continue;
        }
        if (script.outcome != ScriptSource::Outcome::Read) {
            printError(QStringLiteral("cannot read the script %1: %2").arg(path, script.problem));
            unreadable = true;
            continue;
        }
        QStringList lines = splitLines(script.text);
        if (options.variable) {
            for (QString &line : lines)
                line = substituteVariable(line, *options.variable);
        }
        const VariableText variable = options.variable ? VariableText::Given : VariableText::Missing;
        for (const ScriptFinding &finding : checkScript(lines, variable)) {
            findings += finding.note ? 0 : 1;
            printFinding(path, finding.line, finding.note ? QStringLiteral("note: ") + finding.message : finding.message);
        }
    }
    return findings == 0 && !unreadable ? 0 : 1;
}
