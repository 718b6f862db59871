#pragma once

#include "browser/builtin/dom/NavigationRequest.h"
#include "browser/builtin/dom/Url.h"

// 301, 302, 303, 307 and 308 send the browser on; other statuses are pages of their own.
[[nodiscard]] bool isRedirectStatus(int httpStatus);

// The request a browser sends next when `request` is answered by a redirect to `location`
// (the Location header read against the request's address): 301/302 after POST and 303 after
// anything but GET and HEAD become a GET without a body; 307/308 keep method and body. The
// fragment is kept when the new address has none.
[[nodiscard]] NavigationRequest redirectedRequest(const NavigationRequest &request, int httpStatus,
                                                  dom::Url location);
