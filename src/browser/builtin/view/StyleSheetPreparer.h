#pragma once

#include "browser/builtin/view/CssValues.h"
#include "browser/builtin/view/SelectorFilter.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QStringView>

// The class names, ids and attributes of the page's html and body elements: what tells which
// rules set the custom properties the whole page inherits.
struct RootElements {
    QStringList classes;
    QStringList ids;
    QList<QPair<QString, QString>> attributes;
};

// A font a page's @font-face rule names: its family, the addresses in its src and the address
// of the sheet they are relative to (empty: the page's).
struct FontFaceRule {
    QString family;
    QStringList sources;
    QString baseUrl;
};

// Makes a page's style sheets safe and plain for the layout engine before it reads them:
// blocks and parentheses nested deeper than MaxNesting are dropped (the engine reads each level
// by recursion and copying), nested rules are written out flat, media queries on the colour
// scheme and other features it does not know are decided (a light screen with a mouse), custom
// properties and computed values are put in, and the quoted form of @import is written as
// url(). Selectors that can match no element of the page are left out. The text it returns is
// at most a bounded multiple of what it was given.
class StyleSheetPreparer {
public:
    static constexpr int MaxNesting = 64;
    // Imports within imports deeper than this are not followed.
    static constexpr int MaxImportDepth = 8;

    explicit StyleSheetPreparer(RootElements root = {}, SelectorFilter selectors = {})
        : m_root(std::move(root))
        , m_selectors(std::move(selectors))
    {
    }

    // A whole style sheet (from the address, empty for the page's own); its custom properties
    // are kept for the sheets and attributes after it.
    [[nodiscard]] QString sheet(QStringView text, const QString &baseUrl = {});
    // The declarations of a style attribute, with custom properties set on the element and its
    // ancestors (`inherited`) before those of the sheets.
    [[nodiscard]] QString declarations(QStringView text, const CssValues::CustomProperties &inherited = {}) const;
    // Adds the custom properties the declarations set that `into` does not hold yet.
    static void learnDeclaredProperties(QStringView declarations, CssValues::CustomProperties &into);
    // Whether the sheet at an address is read, imported by the sheet at another (empty: by the
    // page): each address once a page (which also cuts every cycle), and not too deep.
    [[nodiscard]] bool admitImport(const QString &address, const QString &importedBy);
    // The @font-face rules of the sheets so far.
    [[nodiscard]] const QList<FontFaceRule> &fontFaces() const { return m_fontFaces; }

private:
    struct Rule;
    class Writer;

    void learnCustomProperties(const Rule &rule, bool rootScope, const QString &baseUrl);
    [[nodiscard]] bool isRootSelector(QStringView selector) const;
    [[nodiscard]] bool matchesRoot(QStringView simple) const;
    void learnFontFace(const Rule &rule, const QString &baseUrl);
    [[nodiscard]] static QString prepared(QStringView text, const CssValues::CustomProperties &properties);

    const RootElements m_root;
    const SelectorFilter m_selectors;
    CssValues::CustomProperties m_rootProperties;
    CssValues::CustomProperties m_otherProperties;
    CssValues::CustomProperties m_properties;
    QList<FontFaceRule> m_fontFaces;
    QHash<QString, int> m_importDepths;
};
