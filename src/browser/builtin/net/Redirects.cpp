#include "browser/builtin/net/Redirects.h"

#include "browser/builtin/dom/UrlParsing.h"

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
NavigationRequest redirectedRequest(const NavigationRequest &request, int httpStatus, dom::Url location)
{
    NavigationRequest next = request;
    if (!location.fragment && request.url.hasFragment())
        location.fragment = request.url.fragment(QUrl::FullyEncoded);
    dom::setRequestUrl(next, location);
    const bool postToGet = (httpStatus == 301 || httpStatus == 302) && request.method == "POST";
    const bool seeOther = httpStatus == 303 && request.method != "GET" && request.method != "HEAD";
    if (postToGet || seeOther) {
        next.method = "GET";
        next.body.clear();
        next.contentType.clear();
    }
    return next;
}
