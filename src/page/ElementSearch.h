#pragma once

#include "page/Document.h"

#include <functional>
#include <memory>

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
