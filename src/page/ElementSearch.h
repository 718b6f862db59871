#pragma once

#include "page/Document.h"

#include <functional>
#include <memory>
#include <vector>

// The first element of the collection, in document order, that the test accepts; null when
// none does. Failures of the test itself go to the caller.
[[nodiscard]] inline std::unique_ptr<Element> findFirst(const Collection &collection,
                                                        const std::function<bool(Element &)> &accepts)
{
    const int length = collection.length();
    for (int index = 0; index < length; ++index) {
        auto element = collection.item(index);
        if (element && accepts(*element))
            return element;
    }
    return nullptr;
}

// Whether the element's name or its id is the text, as the document's "all" answers a name.
[[nodiscard]] inline bool hasNameOrId(Element &element, const QString &name)
{
    if (element.id() == name)
        return true;
    try {
        return element.name() == name;
    } catch (const ScriptError &) {
        return false; // an element kind without a name
    }
}

// Whether clickbutton finds the element by this caption: a submit or button control with that value.
[[nodiscard]] inline bool isButtonWithCaption(Element &element, const QString &caption)
{
    const QString type = element.type();
    return (type == QLatin1String("submit") || type == QLatin1String("button")) && element.value() == caption;
}

// The elements whose name or id is the text, as the document's "all" answers a name.
[[nodiscard]] inline std::vector<std::unique_ptr<Element>> namedItems(const Collection &all, const QString &name)
{
    std::vector<std::unique_ptr<Element>> found;
    const int length = all.length();
    for (int index = 0; index < length; ++index) {
        if (auto element = all.item(index); element && hasNameOrId(*element, name))
            found.push_back(std::move(element));
    }
    return found;
}

// Whether the element's class is the text; an element whose class cannot be read has none.
[[nodiscard]] inline bool hasClass(Element &element, const QString &className)
{
    try {
        return element.className() == className;
    } catch (const ScriptError &) {
        return false;
    }
}
