#pragma once

#include <QString>
#include <QStringView>

// The ASCII text operations of the web standards: their white space is ASCII white space only
// (a no-break space is text), and their case folding touches A to Z only.
namespace dom {

[[nodiscard]] inline bool isAsciiWhitespace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r';
}

[[nodiscard]] inline QString stripAsciiWhitespace(QStringView text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isAsciiWhitespace(text[start]))
        ++start;
    while (end > start && isAsciiWhitespace(text[end - 1]))
        --end;
    return text.mid(start, end - start).toString();
}

[[nodiscard]] inline QString stripAndCollapseAsciiWhitespace(QStringView text)
{
    QString out;
    bool pendingSpace = false;
    for (const QChar c : text) {
        if (isAsciiWhitespace(c)) {
            pendingSpace = !out.isEmpty();
            continue;
        }
        if (pendingSpace)
            out += u' ';
        pendingSpace = false;
        out += c;
    }
    return out;
}

[[nodiscard]] inline QString asciiLowercase(QString text)
{
    for (QChar &c : text)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    return text;
}

} // namespace dom
