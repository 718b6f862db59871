#include "browser/builtin/view/SelectorFilter.h"

#include "browser/builtin/dom/Node.h"

#include <utility>

namespace {

[[nodiscard]] bool isNameCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u'-' || c == u'_' || c.unicode() >= 0x80;
}

// The name that starts at the position (empty when none does).
[[nodiscard]] QStringView nameAt(QStringView text, qsizetype position)
{
    qsizetype end = position;
    while (end < text.size() && isNameCharacter(text[end]))
        ++end;
    return text.sliced(position, end - position);
}

// The position after the bracket or parenthesis that closes the one at the position.
[[nodiscard]] qsizetype afterGroup(QStringView text, qsizetype position)
{
    int depth = 0;
    for (qsizetype i = position; i < text.size(); ++i) {
        if (text[i] == u'(' || text[i] == u'[')
            ++depth;
        else if ((text[i] == u')' || text[i] == u']') && --depth == 0)
            return i + 1;
    }
    return text.size();
}

[[nodiscard]] bool hasName(const QSet<QString> &names, QStringView name)
{
    return names.contains(name.toString().toLower());
}

} // namespace

SelectorFilter::SelectorFilter(const std::vector<dom::Element *> &elements)
    : m_keepsAll(false)
    // The parser that reads the page again puts these in where the page leaves them out.
    , m_tags{QStringLiteral("html"), QStringLiteral("head"), QStringLiteral("body"), QStringLiteral("tbody"),
             QStringLiteral("colgroup")}
{
    for (const dom::Element *element : elements) {
        m_tags.insert(element->localName().toLower());
        for (const QString &name : element->attributeOrEmpty(u"class").simplified().split(u' ', Qt::SkipEmptyParts))
            m_classes.insert(name.toLower());
        if (element->hasAttribute(u"id"))
            m_ids.insert(element->attributeOrEmpty(u"id").toLower());
    }
}

bool SelectorFilter::mayMatch(QStringView selector) const
{
    // Escaped names, namespaces and quoted values are taken as they may match.
    if (m_keepsAll || selector.contains(u'\\') || selector.contains(u'|') || selector.contains(u'"')
        || selector.contains(u'\''))
        return true;
    bool compoundStart = true;
    for (qsizetype i = 0; i < selector.size();) {
        const QChar c = selector[i];
        if (c.isSpace() || c == u'>' || c == u'+' || c == u'~') {
            compoundStart = true;
            ++i;
            continue;
        }
        const bool startsCompound = std::exchange(compoundStart, false);
        if (c == u'.' || c == u'#') {
            const QStringView name = nameAt(selector, i + 1);
            if (!name.isEmpty() && !hasName(c == u'.' ? m_classes : m_ids, name))
                return false;
            i += 1 + name.size();
        } else if (c == u'[' || c == u'(') {
            i = afterGroup(selector, i);
        } else if (c == u':') {
            while (i < selector.size() && selector[i] == u':')
                ++i;
            i += nameAt(selector, i).size();
        } else if (isNameCharacter(c)) {
            const QStringView name = nameAt(selector, i);
            if (startsCompound && !hasName(m_tags, name))
                return false;
            i += name.size();
        } else {
            ++i;
        }
    }
    return true;
}

