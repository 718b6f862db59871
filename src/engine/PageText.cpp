#include "engine/PageText.h"

#include "engine/LoweredTextSearch.h"
#include "engine/PageActions.h"

#include <optional>

bool bodyHtmlHolds(PageActions &page, const std::function<QString()> &text)
{
    std::optional<LoweredTextSearch> search;
    page.readBodyHtml([&](QStringView piece) {
        if (piece.isEmpty())
            return true;
        if (!search)
            search.emplace(text());
        return search->read(piece);
    });
    return search && search->found();
}
