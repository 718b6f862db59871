#pragma once

#include <QString>

#include <functional>

class PageActions;

// Whether the body of the attached page holds the text, letter case aside, as "if" and "not"
// look for their condition: an empty body holds nothing, and an empty text is in any other. The
// text is asked for only once the body shows some HTML, and the page is read only as far as the
// text is found.
[[nodiscard]] bool bodyHtmlHolds(PageActions &page, const std::function<QString()> &text);
