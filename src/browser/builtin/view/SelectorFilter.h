#pragma once

#include <QSet>
#include <QString>
#include <QStringView>

#include <vector>

namespace dom {
class Element;
}

// The tag names, classes and ids a page's elements have: a selector that asks for one no element
// has matches nothing on the page, so its rule need not reach the layout engine, which tries
// every selector on every element.
class SelectorFilter {
public:
    // A filter that keeps every selector.
    SelectorFilter() = default;
    explicit SelectorFilter(const std::vector<dom::Element *> &elements);

    // False only when a compound selector of the selector names a tag, a class or an id that no
    // element of the page has.
    [[nodiscard]] bool mayMatch(QStringView selector) const;

private:
    bool m_keepsAll = true;
    QSet<QString> m_tags;
    QSet<QString> m_classes;
    QSet<QString> m_ids;
};
