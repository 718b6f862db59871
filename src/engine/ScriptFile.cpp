#include "engine/ScriptFile.h"

#include <QFile>
#include <QStringConverter>
#include <QStringList>

QString scriptTextFromBytes(const QByteArray &bytes)
{
    QStringDecoder decode(QStringConverter::System);
    QStringList lines = QString(decode(bytes)).split(QLatin1Char('\n'));
    if (lines.last().isEmpty())
        lines.removeLast(); // the line break after the last line ends it, it starts no new line
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines.join(QStringLiteral("\r\n"));
}

std::optional<QString> readScriptFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return scriptTextFromBytes(file.readAll());
}

QByteArray scriptFileBytes(const QString &editorText)
{
    // Loading drops a leading byte order mark, so a text that starts with one itself is saved
    // behind a mark of the file's own and loads back unchanged.
    const bool startsWithMark = editorText.startsWith(QChar(QChar::ByteOrderMark));
    QStringEncoder encode(QStringConverter::System,
                          startsWithMark ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
    return encode(editorText + QStringLiteral("\r\n"));
}
