#include "cli/ScriptSource.h"

#include "engine/ScriptFile.h"

#include <QFile>

#include <cstdio>

std::optional<QString> readScriptSource(const QString &path)
{
    if (path == QLatin1String("-")) {
        QFile input;
        if (!input.open(stdin, QIODevice::ReadOnly))
            return std::nullopt;
        return scriptTextFromBytes(input.readAll());
    }
    return readScriptFile(path);
}

QString scriptSourceName(const QString &path)
{
    return path == QLatin1String("-") ? QStringLiteral("<stdin>") : path;
}
