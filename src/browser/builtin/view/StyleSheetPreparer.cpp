#include "browser/builtin/view/StyleSheetPreparer.h"

#include <QRegularExpression>

#include <vector>

namespace {

// Selectors a nested rule stands for at most once its parents' are put in: each level of
// nesting multiplies them.
constexpr qsizetype MaxSelectors = 256;
// What a sheet may grow to while nested rules are written out flat.
constexpr qsizetype MaxGrowth = 2;
constexpr qsizetype GrowthAllowance = 64 * 1024;

// Whether the parentheses and brackets of the text close, none nested deeper than the bound.
[[nodiscard]] bool balanced(QStringView text)
{
    int depth = 0;
    const bool stringsClosed = scanOutsideStrings(text, 0, [&depth](qsizetype, QChar c) {
        if (c == u'(' || c == u'[')
            ++depth;
        else if (c == u')' || c == u']')
            --depth;
        return depth >= 0 && depth <= StyleSheetPreparer::MaxNesting;
    });
    return stringsClosed && depth == 0;
}

// The parts of a list at its top-level separators (commas of a selector list, semicolons of
// declarations), outside strings, parentheses and brackets.
[[nodiscard]] QList<QStringView> splitTopLevel(QStringView text, QChar separator)
{
    QList<QStringView> parts;
    qsizetype start = 0;
    int depth = 0;
    scanOutsideStrings(text, 0, [&](qsizetype i, QChar c) {
        if (c == u'(' || c == u'[')
            ++depth;
        else if (c == u')' || c == u']')
            --depth;
        else if (c == separator && depth == 0) {
            parts.append(text.sliced(start, i - start).trimmed());
            start = i + 1;
        }
        return true;
    });
    parts.append(text.sliced(std::min(start, text.size())).trimmed());
    parts.removeIf([](QStringView part) { return part.isEmpty(); });
    return parts;
}

// The media features a screen of this view answers that the layout engine does not know,
// written as ones it knows: a light colour scheme, full motion, a fine pointer that hovers.
[[nodiscard]] QString decideMediaFeatures(const QString &query)
{
    static const QRegularExpression feature(QStringLiteral(R"(\(\s*([a-zA-Z-]+)\s*:\s*([a-zA-Z-]+)\s*\))"));
    static const QHash<QString, bool> known = {
        {QStringLiteral("prefers-color-scheme:light"), true},
        {QStringLiteral("prefers-color-scheme:dark"), false},
        {QStringLiteral("prefers-reduced-motion:no-preference"), true},
        {QStringLiteral("prefers-reduced-motion:reduce"), false},
        {QStringLiteral("prefers-contrast:no-preference"), true},
        {QStringLiteral("prefers-contrast:more"), false},
        {QStringLiteral("prefers-contrast:less"), false},
        {QStringLiteral("forced-colors:none"), true},
        {QStringLiteral("forced-colors:active"), false},
        {QStringLiteral("hover:hover"), true},
        {QStringLiteral("hover:none"), false},
        {QStringLiteral("any-hover:hover"), true},
        {QStringLiteral("any-hover:none"), false},
        {QStringLiteral("pointer:fine"), true},
        {QStringLiteral("pointer:coarse"), false},
        {QStringLiteral("pointer:none"), false},
        {QStringLiteral("any-pointer:fine"), true},
        {QStringLiteral("any-pointer:coarse"), false},
    };
    QString decided;
    qsizetype last = 0;
    for (auto match = feature.globalMatch(query); match.hasNext();) {
        const QRegularExpressionMatch found = match.next();
        const auto answer = known.constFind(found.captured(1).toLower() + u':' + found.captured(2).toLower());
        if (answer == known.constEnd())
            continue;
        decided += QStringView(query).sliced(last, found.capturedStart() - last);
        // Features the layout engine reads, true and false on every screen it draws.
        decided += *answer ? QLatin1StringView("(min-color: 1)") : QLatin1StringView("(min-monochrome: 1)");
        last = found.capturedEnd();
    }
    decided += QStringView(query).sliced(last);
    return decided;
}

// An @import rule with its address written as url(), which the layout engine reads whole.
[[nodiscard]] QString importRule(QStringView prelude)
{
    QStringView rest = prelude.sliced(7).trimmed();
    QString address;
    if (rest.startsWith(u'"') || rest.startsWith(u'\'')) {
        const qsizetype end = rest.indexOf(rest.front(), 1);
        address = rest.sliced(1, (end < 0 ? rest.size() : end) - 1).toString();
        rest = end < 0 ? QStringView() : rest.sliced(end + 1);
    } else if (rest.startsWith(QLatin1StringView("url("), Qt::CaseInsensitive)) {
        const qsizetype end = rest.indexOf(u')');
        address = rest.sliced(4, (end < 0 ? rest.size() : end) - 4).trimmed().toString();
        if (address.size() >= 2 && (address.front() == u'"' || address.front() == u'\'') && address.back() == address.front())
            address = address.mid(1, address.size() - 2);
        rest = end < 0 ? QStringView() : rest.sliced(end + 1);
    } else {
        return {};
    }
    address.replace(u' ', QLatin1StringView("%20")).replace(u'(', QLatin1StringView("%28")).replace(u')', QLatin1StringView("%29"));
    const QString media = decideMediaFeatures(rest.trimmed().toString());
    return QStringLiteral("@import url(") + address + u')' + (media.isEmpty() ? QString() : u' ' + media) + u';';
}

[[nodiscard]] QString atKeyword(QStringView prelude)
{
    qsizetype end = 1;
    while (end < prelude.size() && (prelude[end].isLetterOrNumber() || prelude[end] == u'-'))
        ++end;
    return prelude.sliced(1, end - 1).toString().toLower();
}

// The selectors of a nested rule with its parents' put in for & (or in front of it).
[[nodiscard]] QStringList nestedSelectors(QStringView prelude, const QStringList &parents)
{
    QStringList selectors;
    for (const QStringView selector : splitTopLevel(prelude, u',')) {
        if (parents.isEmpty()) {
            selectors.append(selector.toString().remove(u'&').trimmed());
            continue;
        }
        for (const QString &parent : parents) {
            if (selectors.size() >= MaxSelectors)
                return selectors;
            QString whole = selector.toString();
            if (whole.contains(u'&'))
                whole.replace(u'&', parent);
            else
                whole = parent + u' ' + whole;
            selectors.append(whole);
        }
    }
    return selectors;
}

// Whether a group rule's rules hold however wide the window: properties set under a query on
// its size (or for print, or a dark scheme) are not taken for the whole page.
[[nodiscard]] bool holdsOnEveryScreen(const QString &prelude)
{
    if (atKeyword(prelude) != u"media")
        return true;
    static const QRegularExpression conditional(QStringLiteral("width|height|aspect|orientation|print|monochrome|not"),
                                                QRegularExpression::CaseInsensitiveOption);
    return !conditional.match(decideMediaFeatures(prelude)).hasMatch();
}

} // namespace

// A rule as written, its nested rules inside it.
struct StyleSheetPreparer::Rule {
    enum class Kind { Sheet, Style, Group, Statement, FontFace };
    Kind kind = Kind::Sheet;
    QString prelude;
    QString declarations;
    std::vector<Rule> children;
};

namespace {

// Reads a sheet's text into rules, one level of braces at a time; what lies deeper than the
// bound is skipped without being kept.
class RuleReader {
public:
    explicit RuleReader(QStringView text) : m_text(text) {}

    template <typename Rule> void readBlock(Rule &parent, int depth)
    {
        if (depth > StyleSheetPreparer::MaxNesting) {
            skipBlock();
            return;
        }
        while (true) {
            skipSpaceAndComments();
            if (m_pos >= m_text.size())
                return;
            if (m_text[m_pos] == u'}') {
                ++m_pos;
                return;
            }
            const auto [item, stop] = readItem();
            if (stop == u'{') {
                readNested(parent, item, depth);
                continue;
            }
            if (item.startsWith(u'@')) {
                parent.children.push_back({Rule::Kind::Statement, item, {}, {}});
            } else if (!item.isEmpty()) {
                parent.declarations += item;
                parent.declarations += u';';
            }
        }
    }

private:
    template <typename Rule> void readNested(Rule &parent, const QString &prelude, int depth)
    {
        using Kind = typename Rule::Kind;
        Kind kind = Kind::Style;
        if (prelude.startsWith(u'@')) {
            const QString keyword = atKeyword(prelude);
            if (keyword == u"media" || keyword == u"supports" || keyword == u"layer")
                kind = Kind::Group;
            else if (keyword == u"font-face")
                kind = Kind::FontFace;
            else {
                skipBlock();
                return;
            }
        }
        parent.children.push_back({kind, prelude, {}, {}});
        readBlock(parent.children.back(), depth + 1);
    }

    void skipSpaceAndComments()
    {
        while (m_pos < m_text.size()) {
            if (m_text[m_pos].isSpace())
                ++m_pos;
            else if (m_text.sliced(m_pos).startsWith(QLatin1StringView("/*")))
                skipComment();
            else if (m_text.sliced(m_pos).startsWith(QLatin1StringView("<!--")))
                m_pos += 4;
            else if (m_text.sliced(m_pos).startsWith(QLatin1StringView("-->")))
                m_pos += 3;
            else
                return;
        }
    }

    void skipComment()
    {
        const qsizetype end = m_text.indexOf(QLatin1StringView("*/"), m_pos + 2);
        m_pos = end < 0 ? m_text.size() : end + 2;
    }

    // Text up to the next `{`, `;` or `}` outside strings and parentheses, without comments;
    // the character it stopped at (not consumed but for `{` and `;`).
    std::pair<QString, QChar> readItem()
    {
        QString item;
        int depth = 0;
        qsizetype start = m_pos;
        while (m_pos < m_text.size()) {
            const QChar c = m_text[m_pos];
            if (c == u'"' || c == u'\'') {
                skipString(c);
                continue;
            }
            if (c == u'/' && m_text.sliced(m_pos).startsWith(QLatin1StringView("/*"))) {
                item += m_text.sliced(start, m_pos - start);
                skipComment();
                start = m_pos;
                continue;
            }
            if (c == u'(' || c == u'[')
                ++depth;
            else if ((c == u')' || c == u']') && depth > 0)
                --depth;
            else if (depth == 0 && (c == u'{' || c == u';' || c == u'}')) {
                item += m_text.sliced(start, m_pos - start);
                if (c != u'}')
                    ++m_pos;
                return {item.trimmed(), c};
            }
            ++m_pos;
        }
        item += m_text.sliced(start, m_pos - start);
        return {item.trimmed(), QChar()};
    }

    void skipString(QChar quote)
    {
        ++m_pos;
        while (m_pos < m_text.size() && m_text[m_pos] != quote && m_text[m_pos] != u'\n') {
            if (m_text[m_pos] == u'\\')
                ++m_pos;
            ++m_pos;
        }
        ++m_pos;
        m_pos = std::min(m_pos, m_text.size());
    }

    // Past the `}` that closes the block just opened, however deep its insides.
    void skipBlock()
    {
        qsizetype depth = 1;
        while (m_pos < m_text.size()) {
            const QChar c = m_text[m_pos];
            if (c == u'"' || c == u'\'') {
                skipString(c);
                continue;
            }
            if (c == u'/' && m_text.sliced(m_pos).startsWith(QLatin1StringView("/*"))) {
                skipComment();
                continue;
            }
            ++m_pos;
            if (c == u'{')
                ++depth;
            else if (c == u'}' && --depth == 0)
                return;
        }
    }

    QStringView m_text;
    qsizetype m_pos = 0;
};

} // namespace

// Writes rules out flat: nested style rules after their parent with its selectors put in,
// group rules around what they hold, at most the bound of text.
class StyleSheetPreparer::Writer {
public:
    Writer(const StyleSheetPreparer &preparer, qsizetype bound) : m_preparer(preparer), m_bound(bound) {}

    void write(const Rule &rule, const QStringList &parents)
    {
        for (const Rule &child : rule.children) {
            if (m_out.size() > m_bound)
                return;
            switch (child.kind) {
            case Rule::Kind::Style: writeStyle(child, parents); break;
            case Rule::Kind::Group: writeGroup(child, parents); break;
            case Rule::Kind::Statement:
                if (parents.isEmpty() && atKeyword(child.prelude) == u"import")
                    m_out += importRule(child.prelude);
                break;
            case Rule::Kind::FontFace:
            case Rule::Kind::Sheet: break;
            }
        }
    }

    [[nodiscard]] QString text() && { return std::move(m_out); }

private:
    void writeStyle(const Rule &rule, const QStringList &parents)
    {
        if (!balanced(rule.prelude))
            return;
        const QStringList selectors = nestedSelectors(rule.prelude, parents);
        if (selectors.isEmpty())
            return;
        writeDeclarations(selectors, rule.declarations);
        write(rule, selectors);
    }

    void writeGroup(const Rule &rule, const QStringList &parents)
    {
        if (!balanced(rule.prelude))
            return;
        const QString keyword = atKeyword(rule.prelude);
        if (keyword != u"media") {
            // A feature query is taken as met unless it asks for a feature's absence; a layer's
            // rules are in the order they are written.
            if (keyword == u"supports" && rule.prelude.contains(QLatin1StringView("not"), Qt::CaseInsensitive))
                return;
            writeDeclarations(parents, rule.declarations);
            write(rule, parents);
            return;
        }
        const qsizetype start = m_out.size();
        m_out += decideMediaFeatures(rule.prelude);
        m_out += u'{';
        const qsizetype inside = m_out.size();
        writeDeclarations(parents, rule.declarations);
        write(rule, parents);
        if (m_out.size() == inside)
            m_out.truncate(start);
        else
            m_out += QLatin1StringView("}\n");
    }

    void writeDeclarations(const QStringList &selectors, const QString &declarations)
    {
        if (declarations.isEmpty())
            return;
        QStringList matching = selectors;
        matching.removeIf([this](const QString &selector) { return !m_preparer.m_selectors.mayMatch(selector); });
        if (matching.isEmpty())
            return;
        const QString prepared = m_preparer.declarations(declarations);
        if (prepared.isEmpty())
            return;
        m_out += matching.join(u',');
        m_out += u'{';
        m_out += prepared;
        m_out += QLatin1StringView("}\n");
    }

    const StyleSheetPreparer &m_preparer;
    const qsizetype m_bound;
    QString m_out;
};

QString StyleSheetPreparer::sheet(QStringView text, const QString &baseUrl)
{
    Rule sheet;
    RuleReader(text).readBlock(sheet, 0);
    learnCustomProperties(sheet, true, baseUrl);
    Writer writer(*this, text.size() * MaxGrowth + GrowthAllowance);
    writer.write(sheet, {});
    return std::move(writer).text();
}

QString StyleSheetPreparer::declarations(QStringView text, const CssValues::CustomProperties &inherited) const
{
    if (inherited.isEmpty())
        return prepared(text, m_properties);
    CssValues::CustomProperties properties = m_properties;
    properties.insert(inherited);
    return prepared(text, properties);
}

void StyleSheetPreparer::learnDeclaredProperties(QStringView declarations, CssValues::CustomProperties &into)
{
    for (const QStringView declaration : splitTopLevel(declarations, u';')) {
        if (!declaration.startsWith(QLatin1StringView("--")))
            continue;
        const qsizetype colon = declaration.indexOf(u':');
        if (colon < 0)
            continue;
        const QString name = declaration.first(colon).trimmed().toString();
        if (!into.contains(name))
            into.insert(name, declaration.sliced(colon + 1).trimmed().toString());
    }
}

QString StyleSheetPreparer::prepared(QStringView text, const CssValues::CustomProperties &properties)
{
    const CssValues values(properties);
    QString prepared;
    for (const QStringView declaration : splitTopLevel(text, u';')) {
        const qsizetype colon = declaration.indexOf(u':');
        if (colon <= 0 || !balanced(declaration))
            continue;
        const QString property = declaration.first(colon).trimmed().toString().toLower();
        if (property.startsWith(QLatin1StringView("--")))
            continue;
        QStringView value = declaration.sliced(colon + 1).trimmed();
        static const QRegularExpression important(QStringLiteral(R"(!\s*important\s*$)"),
                                                  QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch importance = important.match(value.toString());
        if (importance.hasMatch())
            value = value.first(importance.capturedStart()).trimmed();
        const std::optional<QString> resolved = values.resolve(property, value);
        if (!resolved || resolved->isEmpty())
            continue;
        prepared += property;
        prepared += u':';
        prepared += *resolved;
        if (importance.hasMatch())
            prepared += QLatin1StringView(" !important");
        prepared += u';';
    }
    return prepared;
}

bool StyleSheetPreparer::admitImport(const QString &address, const QString &importedBy)
{
    if (m_importDepths.contains(address))
        return false;
    const int depth = importedBy.isEmpty() ? 1 : m_importDepths.value(importedBy, 0) + 1;
    if (depth > MaxImportDepth)
        return false;
    m_importDepths.insert(address, depth);
    return true;
}

void StyleSheetPreparer::learnCustomProperties(const Rule &rule, bool rootScope, const QString &baseUrl)
{
    for (const Rule &child : rule.children) {
        if (child.kind == Rule::Kind::FontFace) {
            learnFontFace(child, baseUrl);
            continue;
        }
        if (child.kind == Rule::Kind::Group) {
            if (holdsOnEveryScreen(child.prelude))
                learnCustomProperties(child, rootScope, baseUrl);
            continue;
        }
        if (child.kind != Rule::Kind::Style)
            continue;
        if (rootScope && isRootSelector(child.prelude)) {
            CssValues::CustomProperties declared;
            learnDeclaredProperties(child.declarations, declared);
            m_rootProperties.insert(declared);
        } else {
            learnDeclaredProperties(child.declarations, m_otherProperties);
        }
        learnCustomProperties(child, false, baseUrl);
    }
    m_properties = m_otherProperties;
    m_properties.insert(m_rootProperties);
}

bool StyleSheetPreparer::isRootSelector(QStringView selectors) const
{
    for (const QStringView selector : splitTopLevel(selectors, u',')) {
        if (selector.contains(u' ') || selector.contains(u'>') || selector.contains(u'+') || selector.contains(u'~'))
            continue;
        if (matchesRoot(selector))
            return true;
    }
    return false;
}

// Whether a compound selector without combinators matches the html or body element.
bool StyleSheetPreparer::matchesRoot(QStringView simple) const
{
    static const QRegularExpression part(QStringLiteral(
        R"(^(?:(html|body|\*)|:root|\.([\w-]+)|#([\w-]+)|\[\s*([\w-]+)\s*(?:=\s*["']?([^"'\]]*)["']?\s*)?\]|:not\(([^()]*)\)))"),
        QRegularExpression::CaseInsensitiveOption);
    qsizetype at = 0;
    while (at < simple.size()) {
        const QRegularExpressionMatch match = part.match(simple.sliced(at).toString());
        if (!match.hasMatch() || match.capturedLength() == 0)
            return false;
        at += match.capturedLength();
        bool holds = true;
        if (match.hasCaptured(2))
            holds = m_root.classes.contains(match.captured(2));
        else if (match.hasCaptured(3))
            holds = m_root.ids.contains(match.captured(3));
        else if (match.hasCaptured(4))
            holds = std::any_of(m_root.attributes.cbegin(), m_root.attributes.cend(), [&match](const auto &attribute) {
                return attribute.first.compare(match.captured(4), Qt::CaseInsensitive) == 0
                    && (!match.hasCaptured(5) || attribute.second == match.captured(5));
            });
        else if (match.hasCaptured(6))
            holds = !matchesRoot(match.captured(6));
        if (!holds)
            return false;
    }
    return true;
}

void StyleSheetPreparer::learnFontFace(const Rule &rule, const QString &baseUrl)
{
    static const QRegularExpression source(QStringLiteral(R"(url\(\s*["']?([^"')]+)["']?\s*\))"),
                                           QRegularExpression::CaseInsensitiveOption);
    FontFaceRule face;
    face.baseUrl = baseUrl;
    for (const QStringView declaration : splitTopLevel(rule.declarations, u';')) {
        const qsizetype colon = declaration.indexOf(u':');
        if (colon < 0)
            continue;
        const QString property = declaration.first(colon).trimmed().toString().toLower();
        const QStringView value = declaration.sliced(colon + 1).trimmed();
        if (property == u"font-family")
            face.family = value.toString().remove(u'"').remove(u'\'').trimmed();
        else if (property == u"src")
            for (auto match = source.globalMatch(value.toString()); match.hasNext();)
                face.sources.append(match.next().captured(1));
    }
    if (!face.family.isEmpty() && !face.sources.isEmpty())
        m_fontFaces.append(face);
}
