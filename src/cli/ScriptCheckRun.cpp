#include "cli/ScriptCheckRun.h"

#include "cli/RunOptions.h"
#include "cli/ScriptSource.h"
#include "engine/ScriptCheck.h"
#include "engine/ScriptText.h"

#include <cstdio>

int checkScripts(const RunOptions &options)
{
    int findings = 0;
    bool unreadable = false;
    for (const QString &path : options.scriptPaths) {
        const auto script = readScriptSource(path);
        if (!script) {
            std::fprintf(stderr, "navrelay-run: cannot read the script %s\n", path.toLocal8Bit().constData());
            unreadable = true;
            continue;
        }
        QStringList lines = splitLines(*script);
        if (options.variable) {
            for (QString &line : lines)
                line = substituteVariable(line, *options.variable);
        }
        const VariableText variable = options.variable ? VariableText::Given : VariableText::Missing;
        for (const ScriptFinding &finding : checkScript(lines, variable)) {
            ++findings;
            std::printf("%s:%d: %s\n", scriptSourceName(path).toLocal8Bit().constData(), finding.line,
                        finding.message.toLocal8Bit().constData());
        }
    }
    return findings == 0 && !unreadable ? 0 : 1;
}
