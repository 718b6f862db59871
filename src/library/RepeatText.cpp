#include "library/RepeatText.h"

#include "library/EditorText.h"

namespace {

const QString kLineBreak = QStringLiteral("\r\n");

std::optional<QString> repeatedTail(qsizetype textLength, QStringView piece, int count)
{
    if (count <= 0)
        return QString();
    const qint64 tailLength = qint64(count) * (kLineBreak.size() + piece.size());
    if (textLength + tailLength > kMaxScriptLength)
        return std::nullopt;
    QString tail;
    tail.reserve(tailLength);
    for (int copy = 0; copy < count; ++copy) {
        tail += kLineBreak;
        tail += piece;
    }
    return tail;
}

} // namespace

std::optional<QString> repeatAllTail(const QString &text, int count)
{
    return repeatedTail(text.size(), text, count);
}

std::optional<QString> repeatLastTail(const QString &text, int count)
{
    if (text.isEmpty())
        return QString();
    const qsizetype lastBreak = text.lastIndexOf(kLineBreak);
    const QStringView lastLine = lastBreak < 0 ? QStringView(text) : QStringView(text).mid(lastBreak + kLineBreak.size());
    return repeatedTail(text.size(), lastLine, count);
}
