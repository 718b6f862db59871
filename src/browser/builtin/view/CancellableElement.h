#pragma once

#include <litehtml.h>

#include <atomic>
#include <memory>
#include <string_view>

// A box of one of the layout engine's own kinds (or the body) that stops styling, placing and
// laying out itself and what it holds once the flag is raised: a page that takes too long to read
// or lay out ends soon after it is cancelled, its boxes left unstyled or unplaced (the layout is
// then dropped). Its colours given as currentColor are its own colour, its style attribute is
// prepared as the page's sheets are. Null for the kinds the engine makes itself.
[[nodiscard]] std::shared_ptr<litehtml::element> createCancellableElement(std::string_view tag,
                                                                          const std::shared_ptr<litehtml::document> &document,
                                                                          const std::atomic<bool> &cancelled);
