#include "engine/CommandWords.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

// The Levenshtein distance over UTF-16 units, in two rows.
qsizetype editDistance(const QString &from, const QString &to)
{
    std::vector<qsizetype> previous(to.size() + 1);
    std::iota(previous.begin(), previous.end(), 0);
    std::vector<qsizetype> current(to.size() + 1);
    for (qsizetype i = 1; i <= from.size(); ++i) {
        current[0] = i;
        for (qsizetype j = 1; j <= to.size(); ++j) {
            const qsizetype substitution = previous[j - 1] + (from[i - 1] == to[j - 1] ? 0 : 1);
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitution});
        }
        std::swap(previous, current);
    }
    return previous[to.size()];
}

} // namespace

const QStringList &topLevelWords()
{
    static const QStringList words{
        QStringLiteral("if"), QStringLiteral("not"), QStringLiteral("beep"), QStringLiteral("nav"),
        QStringLiteral("clink"), QStringLiteral("fill"), QStringLiteral("fillappend"), QStringLiteral("clickbutton"),
        QStringLiteral("clickbuttonbyname"), QStringLiteral("clickitem"), QStringLiteral("sleep"),
        QStringLiteral("back"), QStringLiteral("clinknew"), QStringLiteral("clickclass"), QStringLiteral("fillclass"),
        QStringLiteral("fillbyid"), QStringLiteral("fillappendbyid"), QStringLiteral("clickelementbyid"),
        QStringLiteral("goto"), QStringLiteral("clickelementbyname"), QStringLiteral("clickinputimg"),
        QStringLiteral("quitie"), QStringLiteral("stopie"), QStringLiteral("assert"), QStringLiteral("refute"),
        QStringLiteral("waitfor")};
    return words;
}

const QStringList &conditionalActions()
{
    static const QStringList words{
        QStringLiteral("beep"), QStringLiteral("nav"), QStringLiteral("clink"), QStringLiteral("fill"),
        QStringLiteral("clickbutton"), QStringLiteral("clickbuttonbyname"), QStringLiteral("clickitem"),
        QStringLiteral("sleep"), QStringLiteral("back"), QStringLiteral("clinknew"), QStringLiteral("stopscript"),
        QStringLiteral("goto")};
    return words;
}

bool isCheckWord(const QString &word)
{
    return word == QLatin1String("assert") || word == QLatin1String("refute") || word == QLatin1String("waitfor");
}

bool isCommentWord(const QString &word)
{
    return word.isEmpty() || word.compare(QLatin1String("rem"), Qt::CaseInsensitive) == 0;
}

QString unknownWordMessage(const QString &kind, const QString &word, const QStringList &knownWords)
{
    const QString lower = word.toLower();
    const auto nearest = std::min_element(knownWords.begin(), knownWords.end(), [&](const QString &a, const QString &b) {
        return editDistance(lower, a) < editDistance(lower, b);
    });
    return QStringLiteral("unknown %1 \"%2\" (nearest: \"%3\")").arg(kind, word, *nearest);
}
