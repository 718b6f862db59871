#pragma once

#include <QString>
#include <QStringList>
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

// "Split a string on ASCII whitespace": the pieces between runs of it, none of them empty.
[[nodiscard]] inline QStringList splitOnAsciiWhitespace(QStringView text)
{
    QStringList pieces;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool space = i == text.size() || isAsciiWhitespace(text[i]);
        if (!space && start < 0)
            start = i;
        if (space && start >= 0) {
            pieces << text.sliced(start, i - start).toString();
            start = -1;
        }
    }
    return pieces;
}

[[nodiscard]] inline QString asciiLowercase(QString text)
{
    for (QChar &c : text)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    return text;
}

} // namespace dom
