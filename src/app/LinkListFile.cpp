#include "app/LinkListFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringConverter>

namespace {

// Millions of addresses; a larger file is no link list and is not read into memory.
constexpr qint64 kLargestLinkFile = 64 * 1024 * 1024;

} // namespace

QStringList linkEntriesFromBytes(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return {};
    QStringDecoder decode(QStringConverter::System);
    QStringList lines = QString(decode(bytes)).split(QLatin1Char('\n'));
    if (lines.last().isEmpty())
        lines.removeLast(); // the break after the last line ends it and starts no new entry
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

QByteArray linkFileBytes(const QStringList &entries)
{
    QString text;
    for (const QString &entry : entries)
        text += entry + QStringLiteral("\r\n");
    QStringEncoder encode(QStringConverter::System);
    return encode(text);
}

std::optional<QStringList> readLinkFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kLargestLinkFile)
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return linkEntriesFromBytes(bytes);
}

bool writeLinkFile(const QString &path, const QStringList &entries)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = linkFileBytes(entries);
    // The temporary file is removed and the old file stays as it was. commit() would rename a
    // file whose buffered bytes never reached the disk (a full disk): a failed flush cancels it.
    if (file.write(bytes) != bytes.size() || !file.flush())
        return false;
    return file.commit();
}
