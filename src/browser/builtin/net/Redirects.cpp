#include "browser/builtin/net/Redirects.h"

bool isRedirectStatus(int httpStatus)
{
    switch (httpStatus) {
    case 301:
    case 302:
    case 303:
    case 307:
    case 308: return true;
    default: return false;
    }
}

// Fetch, "HTTP-redirect fetch": the method and body rewrite steps.
NavigationRequest redirectedRequest(const NavigationRequest &request, int httpStatus, const QUrl &location)
{
    NavigationRequest next = request;
    next.url = location;
    next.wireTarget.clear();
    if (!location.hasFragment() && request.url.hasFragment())
        next.url.setFragment(request.url.fragment(QUrl::FullyEncoded), QUrl::StrictMode);
    const bool postToGet = (httpStatus == 301 || httpStatus == 302) && request.method == "POST";
    const bool seeOther = httpStatus == 303 && request.method != "GET" && request.method != "HEAD";
    if (postToGet || seeOther) {
        next.method = "GET";
        next.body.clear();
        next.contentType.clear();
    }
    return next;
}
